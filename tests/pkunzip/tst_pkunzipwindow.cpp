// The expansion program's window: closes itself on success, lists problems otherwise, asks before
// replacing, and cancels cleanly.
#include "ProgressWindow.h"
#include "ZipWriter.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include <sys/stat.h>

class tst_pkunzipwindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void closesItselfWhenEverythingWasExpanded();
    void staysOpenListingProblems();
    void asksBeforeReplacing_data();
    void asksBeforeReplacing();
    void cancelLeavesNoPartialFile();

private:
    QString writeArchive(const QList<ZipItem> &items);
    void writeFile(const QString &relative, const QByteArray &contents);
    QByteArray readFile(const QString &relative);
    // Answers the replace questions as they come, in this order; before() runs when a box is up.
    void answerBoxes(const QList<QMessageBox::StandardButton> &answers, std::function<void()> before = {});

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_dest;
    QTimer m_boxWatcher;
    QList<QMessageBox::StandardButton> m_answers;
    std::function<void()> m_beforeAnswer;
    QStringList m_questions;
};

void tst_pkunzipwindow::initTestCase()
{
    ::umask(022);
    m_boxWatcher.setInterval(10);
    connect(&m_boxWatcher, &QTimer::timeout, this, [this] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || m_answers.isEmpty())
            return;
        m_questions << box->text();
        if (m_beforeAnswer)
            m_beforeAnswer();
        box->button(m_answers.takeFirst())->click();
    });
}

void tst_pkunzipwindow::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_dest = m_tmp->path() + QStringLiteral("/dest");
    QVERIFY(QDir().mkpath(m_dest));
    m_answers.clear();
    m_questions.clear();
    m_beforeAnswer = nullptr;
}

void tst_pkunzipwindow::cleanup()
{
    m_boxWatcher.stop();
    m_tmp.reset();
}

QString tst_pkunzipwindow::writeArchive(const QList<ZipItem> &items)
{
    const QString path = m_tmp->path() + QStringLiteral("/Tools Archive.zip");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(buildZip(items));
    return path;
}

void tst_pkunzipwindow::writeFile(const QString &relative, const QByteArray &contents)
{
    QFile f(m_dest + QLatin1Char('/') + relative);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contents);
}

QByteArray tst_pkunzipwindow::readFile(const QString &relative)
{
    QFile f(m_dest + QLatin1Char('/') + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void tst_pkunzipwindow::answerBoxes(
    const QList<QMessageBox::StandardButton> &answers, std::function<void()> before)
{
    m_answers = answers;
    m_beforeAnswer = std::move(before);
    m_boxWatcher.start();
}

void tst_pkunzipwindow::closesItselfWhenEverythingWasExpanded()
{
    pkunzip::ExpandRequest request;
    request.archive = writeArchive(
        { ZipItem::file("a.txt", "alpha"), ZipItem::file("dir/b.txt", QByteArray(100000, 'b')) })
                          .toStdString();
    request.archiveLabel = request.archive;
    request.destination = m_dest.toStdString();
    pkunzip::ProgressWindow window(request);
    QSignalSpy finished(&window, &pkunzip::ProgressWindow::finished);
    QCOMPARE(window.windowTitle(), QStringLiteral("Expanding Tools Archive.zip"));
    window.start();
    QVERIFY(window.isVisible());
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toInt(), int(pkunzip::ExitOk));
    QVERIFY(!window.isVisible());
    QCOMPARE(window.findChild<QProgressBar *>(QStringLiteral("barProgress"))->value(), 1000);
    QCOMPARE(readFile(QStringLiteral("a.txt")), QByteArray("alpha"));
    QCOMPARE(readFile(QStringLiteral("dir/b.txt")), QByteArray(100000, 'b'));
}

void tst_pkunzipwindow::staysOpenListingProblems()
{
    QList<ZipItem> items = { ZipItem::file("good.txt", "good"), ZipItem::file("bad.txt", "bad data"),
        ZipItem::file("../escape.txt", "evil") };
    items[1].badCrc = true;
    pkunzip::ExpandRequest request;
    request.archive = writeArchive(items).toStdString();
    request.archiveLabel = request.archive;
    request.destination = m_dest.toStdString();
    pkunzip::ProgressWindow window(request);
    QSignalSpy finished(&window, &pkunzip::ProgressWindow::finished);
    window.start();
    QTRY_COMPARE_WITH_TIMEOUT(window.status(), int(pkunzip::ExitSomeNotExpanded), 10000);
    QVERIFY(window.isVisible());
    QCOMPARE(finished.count(), 0);
    const QStringList problems = window.problems();
    QCOMPARE(problems.size(), 2);
    QVERIFY(problems.join(QLatin1Char('\n')).contains(QStringLiteral("\"bad.txt\" was not expanded")));
    QVERIFY(problems.join(QLatin1Char('\n')).contains(QStringLiteral("\"../escape.txt\" was not expanded")));
    QVERIFY(window.findChild<QLabel *>(QStringLiteral("lblSummary"))->isVisible());
    auto *button = window.findChild<QPushButton *>(QStringLiteral("cmdCancel"));
    QCOMPARE(button->text(), QStringLiteral("Close"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(pkunzip::ExitSomeNotExpanded));
    QCOMPARE(readFile(QStringLiteral("good.txt")), QByteArray("good"));
    QVERIFY(!QFile::exists(m_dest + QStringLiteral("/bad.txt")));
}

void tst_pkunzipwindow::asksBeforeReplacing_data()
{
    QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("questions");
    using B = QMessageBox::StandardButton;
    QTest::newRow("Yes, then No") << QList<B> { B::Yes, B::No } << QByteArray("new a") << QByteArray("old b")
                                  << 1 << 2;
    QTest::newRow("No, then Yes") << QList<B> { B::No, B::Yes } << QByteArray("old a") << QByteArray("new b")
                                  << 1 << 2;
    QTest::newRow("Yes to all") << QList<B> { B::YesToAll } << QByteArray("new a") << QByteArray("new b") << 0
                                << 1;
    QTest::newRow("No to all") << QList<B> { B::NoToAll } << QByteArray("old a") << QByteArray("old b") << 1
                               << 1;
}

void tst_pkunzipwindow::asksBeforeReplacing()
{
    QFETCH(QList<QMessageBox::StandardButton>, answers);
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(int, status);
    QFETCH(int, questions);
    writeFile(QStringLiteral("a.txt"), "old a");
    writeFile(QStringLiteral("b.txt"), "old b");
    pkunzip::ExpandRequest request;
    request.archive = writeArchive(
        { ZipItem::file("a.txt", "new a"), ZipItem::file("b.txt", "new b"), ZipItem::file("c.txt", "new c") })
                          .toStdString();
    request.archiveLabel = request.archive;
    request.destination = m_dest.toStdString();
    pkunzip::ProgressWindow window(request);
    answerBoxes(answers);
    window.start();
    QTRY_VERIFY_WITH_TIMEOUT(window.status() >= 0, 10000);
    QCOMPARE(window.status(), status);
    QCOMPARE(m_questions.size(), questions);
    QVERIFY(m_questions.first().startsWith(QStringLiteral("\"a.txt\" already exists in")));
    QCOMPARE(readFile(QStringLiteral("a.txt")), a);
    QCOMPARE(readFile(QStringLiteral("b.txt")), b);
    QCOMPARE(readFile(QStringLiteral("c.txt")), QByteArray("new c"));
    QCOMPARE(QDir(m_dest).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

void tst_pkunzipwindow::cancelLeavesNoPartialFile()
{
    writeFile(QStringLiteral("a.txt"), "old a");
    QList<ZipItem> items = { ZipItem::file("a.txt", "new a") };
    for (int i = 0; i < 50; ++i)
        items << ZipItem::file(
            QByteArray("more/f") + QByteArray::number(i), QByteArray(200000, char('a' + i % 26)));
    pkunzip::ExpandRequest request;
    request.archive = writeArchive(items).toStdString();
    request.archiveLabel = request.archive;
    request.destination = m_dest.toStdString();
    pkunzip::ProgressWindow window(request);
    QSignalSpy finished(&window, &pkunzip::ProgressWindow::finished);
    auto *cancel = window.findChild<QPushButton *>(QStringLiteral("cmdCancel"));
    // The question about a.txt holds the expansion before any file is written: cancel right then.
    answerBoxes({ QMessageBox::No }, [cancel] { cancel->click(); });
    window.start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toInt(), int(pkunzip::ExitCancelled));
    QVERIFY(!window.isVisible());
    QCOMPARE(readFile(QStringLiteral("a.txt")), QByteArray("old a"));
    QDirIterator it(m_dest, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    QStringList files;
    while (it.hasNext())
        files << QDir(m_dest).relativeFilePath(it.next());
    QCOMPARE(files, QStringList { QStringLiteral("a.txt") });
}

QTEST_MAIN(tst_pkunzipwindow)
#include "tst_pkunzipwindow.moc"
