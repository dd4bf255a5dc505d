// The platform layer: drive table and paths, list controls and their notifications, services, windows.
#include "TestSupport.h"

#include "platform/DirReader.h"
#include "platform/DriveTable.h"
#include "platform/Form.h"
#include "platform/ListControls.h"
#include "platform/Services.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using testsupport::TempDrives;

// A window for the protocol tests: counts its loads and can refuse to close.
class frmProbe : public Form<QWidget>
{
    Q_OBJECT
public:
    static inline int loads = 0;
    static inline int unloads = 0;
    static inline qint16 cancelWith = 0;
    void Form_Load() override { ++loads; }
    void Form_Unload(qint16 &Cancel) override
    {
        ++unloads;
        Cancel = cancelWith;
    }
};

class tst_platform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void dosPaths_data();
    void dosPaths();
    void nativeToDos();

    void patterns_data();
    void patterns();
    void fileListShowsOnlyPlainFiles();
    void fileListHighlightClearedOnChange();

    void folderListPaths_data();
    void folderListPaths();
    void folderListNotReadyDriveFails();
    void folderListEntries();
    void notificationsOnlyOnRealChange();
    void notificationsAreNested();
    void driveList();

    void numberToText_data();
    void numberToText();
    void textHelpers();
    void fileLength();

    void messageBoxAnswers_data();
    void messageBoxAnswers();

    void launchSearchesOwnFolderThenPath();
    void launchStartsARealProgram();

    void windowLoadsOnceAndUnloadsOnClose();
    void closeHandlerCanKeepWindow();
    void disabledWindowIgnoresCloseBox();
    void twipsAndCentring();
};

void tst_platform::cleanup()
{
    testsupport::resetWindows();
    frmProbe::loads = frmProbe::unloads = 0;
    frmProbe::cancelWith = 0;
}

void tst_platform::dosPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("native"); // relative to the temporary root; "" means no native path

    QTest::newRow("root") << "C:\\" << "c";
    QTest::newRow("lower-case letter") << "c:\\Data" << "c/Data";
    QTest::newRow("forward slashes") << "C:/Data/A.ZIP" << "c/Data/A.ZIP";
    QTest::newRow("dot-dot stops at the root") << "C:\\..\\..\\x" << "c/x";
    QTest::newRow("drive only means its current folder") << "D:" << "d";
    QTest::newRow("relative to the current folder") << "sub\\a.txt" << "c/sub/a.txt";
    QTest::newRow("Z is the whole tree") << "Z:\\c\\Data" << "c/Data";
    QTest::newRow("unknown drive") << "Q:\\x" << "";
}

void tst_platform::dosPaths()
{
    QFETCH(QString, path);
    QFETCH(QString, native);
    TempDrives drives;
    const QString expected = native.isEmpty() ? QString() : drives.root() + QLatin1Char('/') + native;
    QCOMPARE(DriveTable::instance().toNative(path), expected);
}

void tst_platform::nativeToDos()
{
    TempDrives drives(QStringLiteral("C:\\Downloads"));
    const DriveTable &t = DriveTable::instance();
    QCOMPARE(t.toDos(drives.native(QLatin1Char('C'))), QStringLiteral("C:\\"));
    QCOMPARE(t.toDos(drives.native(QLatin1Char('D')) + QStringLiteral("/x y/é")), QStringLiteral("D:\\x y\\é"));
    // the longest root wins: the temporary root itself is Z:
    QCOMPARE(t.toDos(drives.root() + QStringLiteral("/other")), QStringLiteral("Z:\\other"));
    QCOMPARE(t.currentDrive(), QLatin1Char('C'));
    QCOMPARE(t.currentFolder(QLatin1Char('C')), QStringLiteral("C:\\Downloads"));
    QCOMPARE(t.currentFolder(QLatin1Char('d')), QStringLiteral("D:\\"));
}

void tst_platform::patterns_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("matches");

    QTest::newRow("upper-case archive") << "A.ZIP" << "*.zip" << true;
    QTest::newRow("mixed case") << "Setup.Zip" << "*.zip" << true;
    QTest::newRow("longer extension") << "a.zipx" << "*.zip" << false;
    QTest::newRow("zip inside the name") << "a.zip.txt" << "*.zip" << false;
    QTest::newRow("no dot") << "README" << "*.*" << true;
    QTest::newRow("several dots") << "a.b.c" << "*.*" << true;
    QTest::newRow("question mark") << "a1.zip" << "a?.zip" << true;
    QTest::newRow("list of patterns") << "x.txt" << "*.zip;*.txt" << true;
    QTest::newRow("non-ASCII folds case") << "ÉTÉ.ZIP" << "été.zip" << true;
}

void tst_platform::patterns()
{
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, matches);
    QCOMPARE(matchesPattern(name, pattern), matches);
}

void tst_platform::fileListShowsOnlyPlainFiles()
{
    TempDrives drives;
    drives.makeFile(QStringLiteral("C:\\b.txt"));
    drives.makeFile(QStringLiteral("C:\\A.ZIP"));
    drives.makeFile(QStringLiteral("C:\\.hidden"));
    drives.makeFile(QStringLiteral("C:\\a.zipx"));
    drives.makeFolder(QStringLiteral("C:\\folder.zip"));
    const QString c = drives.native(QLatin1Char('C'));
    QVERIFY(::mkfifo(QFile::encodeName(c + QStringLiteral("/pipe.zip")).constData(), 0600) == 0);
    QVERIFY(QFile::link(c + QStringLiteral("/b.txt"), c + QStringLiteral("/link.zip")));
    QVERIFY(QFile::link(c + QStringLiteral("/gone"), c + QStringLiteral("/dangling.zip")));

    FileListBox list;
    list.setPath(QStringLiteral("C:\\"));
    QStringList shown;
    for (int i = 0; i < list.ListCount(); ++i)
        shown << list.List(i);
    QCOMPARE(shown, (QStringList { "A.ZIP", "a.zipx", "b.txt", "link.zip" }));

    list.setPattern(QStringLiteral("*.zip"));
    shown.clear();
    for (int i = 0; i < list.ListCount(); ++i)
        shown << list.List(i);
    QCOMPARE(shown, (QStringList { "A.ZIP", "link.zip" }));
}

void tst_platform::fileListHighlightClearedOnChange()
{
    TempDrives drives;
    drives.makeFile(QStringLiteral("C:\\a.zip"));
    drives.makeFile(QStringLiteral("C:\\DATA\\b.zip"));
    FileListBox list;
    list.setPath(QStringLiteral("C:\\"));
    QSignalSpy clicks(&list, &FileListBox::Click);
    list.setCurrentIndex(list.model()->index(0, 0));
    QCOMPARE(list.FileName(), QStringLiteral("a.zip"));
    QCOMPARE(clicks.count(), 1);

    // Ctrl+click on the highlighted file keeps it highlighted, as a plain list box does
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list.visualRect(list.model()->index(0, 0)).center());
    QCOMPARE(list.FileName(), QStringLiteral("a.zip"));
    QCOMPARE(clicks.count(), 1);

    list.setPattern(QStringLiteral("*.zip"));
    QCOMPARE(list.FileName(), QString());
    list.setCurrentIndex(list.model()->index(0, 0));
    list.setPath(QStringLiteral("C:\\DATA"));
    QCOMPARE(list.FileName(), QString());
    QCOMPARE(clicks.count(), 2); // re-reading raises no click
}

void tst_platform::folderListPaths_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("path");

    QTest::newRow("root keeps its backslash") << "C:\\" << "C:\\";
    QTest::newRow("folder loses a trailing backslash") << "C:\\DATA\\" << "C:\\DATA";
    QTest::newRow("forward slashes") << "c:/data/../DATA" << "C:\\DATA";
    QTest::newRow("drive means its current folder") << "c: [home]" << "C:\\DATA";
    QTest::newRow("other drive's current folder is its root") << "d:" << "D:\\";
    QTest::newRow("relative to the open folder") << "Sub" << "C:\\DATA\\Sub";
}

void tst_platform::folderListPaths()
{
    QFETCH(QString, set);
    QFETCH(QString, path);
    TempDrives drives(QStringLiteral("C:\\DATA"));
    drives.makeFolder(QStringLiteral("C:\\DATA\\Sub"));
    DirListBox list;
    QCOMPARE(list.Path(), QStringLiteral("C:\\DATA"));
    list.setPath(set);
    QCOMPARE(list.Path(), path);
}

void tst_platform::folderListNotReadyDriveFails()
{
    TempDrives drives;
    DirListBox list;
    list.setPath(QStringLiteral("C:\\"));
    QSignalSpy changes(&list, &DirListBox::Change);
    QVERIFY_THROWS_EXCEPTION(Failure, list.setPath(QStringLiteral("F:\\")));
    QVERIFY_THROWS_EXCEPTION(Failure, list.setPath(QStringLiteral("f: [floppy]")));
    // a drive whose folder vanished is not ready either
    drives.setReady(QLatin1Char('E'), false);
    QVERIFY_THROWS_EXCEPTION(Failure, list.setPath(QStringLiteral("E:")));
    QVERIFY_THROWS_EXCEPTION(Failure, list.setPath(QStringLiteral("C:\\no such folder")));
    QCOMPARE(list.Path(), QStringLiteral("C:\\"));
    QCOMPARE(changes.count(), 0);
}

void tst_platform::folderListEntries()
{
    TempDrives drives;
    drives.makeFolder(QStringLiteral("C:\\Data\\beta"));
    drives.makeFolder(QStringLiteral("C:\\Data\\Alpha"));
    drives.makeFolder(QStringLiteral("C:\\Data\\.cache"));
    drives.makeFile(QStringLiteral("C:\\Data\\file.txt"));
    DirListBox list;
    list.setPath(QStringLiteral("C:\\Data"));
    QStringList entries;
    for (int i = 0; i < list.ListCount(); ++i)
        entries << list.List(i);
    QCOMPARE(entries, (QStringList { "C:\\", "C:\\Data", "C:\\Data\\Alpha", "C:\\Data\\beta" }));
    // the open folder's own entry is the highlighted one, so taking the focus opens nothing
    QCOMPARE(list.ListIndex(), 1);
}

void tst_platform::notificationsOnlyOnRealChange()
{
    TempDrives drives;
    drives.makeFolder(QStringLiteral("C:\\DATA"));
    DirListBox dir;
    FileListBox files;
    DriveListBox drive;
    dir.setPath(QStringLiteral("C:\\"));
    files.setPath(QStringLiteral("C:\\"));
    QSignalSpy dirChanges(&dir, &DirListBox::Change);
    QSignalSpy pathChanges(&files, &FileListBox::PathChange);
    QSignalSpy driveChanges(&drive, &DriveListBox::Change);

    dir.setPath(QStringLiteral("C:\\DATA"));
    dir.setPath(QStringLiteral("C:\\DATA"));
    dir.setPath(QStringLiteral("c:/DATA/"));
    files.setPath(QStringLiteral("C:\\DATA"));
    files.setPath(QStringLiteral("C:\\DATA\\"));
    drive.setDrive(QStringLiteral("C:\\anything"));
    drive.setDrive(QStringLiteral("d: [usb]"));
    drive.setDrive(QStringLiteral("D:\\"));
    dir.Refresh();
    files.Refresh();
    drive.Refresh();

    QCOMPARE(dirChanges.count(), 1);
    QCOMPARE(pathChanges.count(), 1);
    QCOMPARE(driveChanges.count(), 1);
}

void tst_platform::notificationsAreNested()
{
    TempDrives drives;
    drives.makeFolder(QStringLiteral("C:\\DATA"));
    DirListBox dir;
    FileListBox files;
    QStringList events;
    QObject::connect(&dir, &DirListBox::Change, [&] {
        events << QStringLiteral("dir change begins");
        files.setPath(dir.Path());
        events << QStringLiteral("dir change ends");
    });
    QObject::connect(&files, &FileListBox::PathChange, [&] { events << QStringLiteral("file path change"); });

    dir.setPath(QStringLiteral("C:\\DATA"));
    events << QStringLiteral("assignment returned");
    QCOMPARE(events,
             (QStringList { "dir change begins", "file path change", "dir change ends", "assignment returned" }));
}

void tst_platform::driveList()
{
    TempDrives drives(QStringLiteral("D:\\"));
    DriveListBox list;
    QCOMPARE(list.Drive(), QStringLiteral("d: [usb]")); // starts on the current drive
    QCOMPARE(list.count(), 5);
    QCOMPARE(list.itemText(0), QStringLiteral("c: [home]"));
    QCOMPARE(list.itemText(4), QStringLiteral("z:"));
    QVERIFY_THROWS_EXCEPTION(Failure, list.setDrive(QStringLiteral("Q:")));
}

void tst_platform::numberToText_data()
{
    QTest::addColumn<qint64>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << " 0";
    QTest::newRow("positive") << qint64(1234) << " 1234";
    QTest::newRow("negative") << qint64(-5) << "-5";
    QTest::newRow("beyond 32 bits") << qint64(3221225472) << " 3221225472";
}

void tst_platform::numberToText()
{
    QFETCH(qint64, number);
    QFETCH(QString, text);
    QCOMPARE(Str(number), text);
}

void tst_platform::textHelpers()
{
    QCOMPARE(Trim(QStringLiteral("  a b \t ")), QStringLiteral("a b \t"));
    QCOMPARE(Left(QStringLiteral("abc"), 5), QStringLiteral("abc"));
    QCOMPARE(Right(QStringLiteral("abc"), 2), QStringLiteral("bc"));
    QCOMPARE(String(3, QLatin1Char('-')), QStringLiteral("---"));
    QCOMPARE(splitCommandLine(QStringLiteral("pkunzip.exe  C:\\A.ZIP   D:\\")),
             (QStringList { "pkunzip.exe", "C:\\A.ZIP", "D:\\" }));
}

void tst_platform::fileLength()
{
    TempDrives drives;
    drives.makeFile(QStringLiteral("C:\\DATA\\a b.bin"), 1234);
    QCOMPARE(FileLen(QStringLiteral("C:\\DATA\\a b.bin")), qint64(1234));
    QVERIFY_THROWS_EXCEPTION(Failure, FileLen(QStringLiteral("C:\\DATA\\missing")));
    QVERIFY_THROWS_EXCEPTION(Failure, FileLen(QStringLiteral("C:\\DATA")));
    QVERIFY_THROWS_EXCEPTION(Failure, FileLen(QStringLiteral("F:\\x")));
}

void tst_platform::messageBoxAnswers_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("answer");

    QTest::newRow("OK box, Enter") << 0 << int(Qt::Key_Return) << int(vbOK);
    QTest::newRow("OK box, Esc") << 0 << int(Qt::Key_Escape) << int(vbOK);
    QTest::newRow("OK/Cancel, Enter") << 1 << int(Qt::Key_Return) << int(vbOK);
    QTest::newRow("OK/Cancel, Esc") << 1 << int(Qt::Key_Escape) << int(vbCancel);
    QTest::newRow("OK/Cancel, close box") << 1 << 0 << int(vbCancel);
    QTest::newRow("exclamation, Esc") << 48 << int(Qt::Key_Escape) << int(vbOK);
    QTest::newRow("Yes/No, Esc") << 36 << int(Qt::Key_Escape) << int(vbNo);
}

void tst_platform::messageBoxAnswers()
{
    QFETCH(int, code);
    QFETCH(int, key);
    QFETCH(int, answer);
    QString title;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        if (key == 0)
            box->close();
        else
            QTest::keyClick(box, Qt::Key(key));
    });
    QCOMPARE(MsgBox(QStringLiteral("Proceed?"), code), answer);
    QCOMPARE(title, QStringLiteral("Kestrola"));
}

void tst_platform::launchSearchesOwnFolderThenPath()
{
    QTemporaryDir dir;
    const QString onPath = dir.path() + QStringLiteral("/tool.sh");
    QFile f(onPath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QByteArray oldPath = qgetenv("PATH");
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
    qputenv("PATH", dir.path().toUtf8() + ":" + oldPath);
    QCOMPARE(findProgram(QStringLiteral("tool.sh")), onPath);
    QCOMPARE(findProgram(QStringLiteral("no-such-program.exe")), QString());

    // the current folder is not searched
    const QString oldCwd = QDir::currentPath();
    const auto back = qScopeGuard([&] { QDir::setCurrent(oldCwd); });
    qputenv("PATH", "/nonexistent");
    QDir::setCurrent(dir.path());
    QCOMPARE(findProgram(QStringLiteral("tool.sh")), QString());

    testsupport::Services services;
    QVERIFY_THROWS_EXCEPTION(Failure, Shell(QStringLiteral("tool.sh a b"), 1));
    QVERIFY(services.launches.isEmpty());
}

void tst_platform::launchStartsARealProgram()
{
    QTemporaryDir dir;
    const QString script = dir.path() + QStringLiteral("/marker");
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nprintf '%s|' \"$@\" > \"$1.tmp\" && mv \"$1.tmp\" \"$1.out\"\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString out = dir.path() + QStringLiteral("/x");
    QVERIFY(Shell(script + QStringLiteral("   ") + out + QStringLiteral("  second"), 1) > 0);
    QTRY_VERIFY(QFile::exists(out + QStringLiteral(".out")));
    QFile result(out + QStringLiteral(".out"));
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(result.readAll()), out + QStringLiteral("|second|"));
}

void tst_platform::windowLoadsOnceAndUnloadsOnClose()
{
    QVERIFY(!isLoaded<frmProbe>());
    frmProbe &first = form<frmProbe>();
    QCOMPARE(frmProbe::loads, 1);
    first.Hide(); // loaded, still invisible
    QVERIFY(!first.isVisible());
    first.Show();
    QCOMPARE(&form<frmProbe>(), &first);
    QCOMPARE(frmProbe::loads, 1);

    QVERIFY(first.close());
    QCOMPARE(frmProbe::unloads, 1);
    QVERIFY(!isLoaded<frmProbe>());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    form<frmProbe>();
    QCOMPARE(frmProbe::loads, 2);
}

void tst_platform::closeHandlerCanKeepWindow()
{
    frmProbe::cancelWith = 1;
    form<frmProbe>().Show();
    QVERIFY(!form<frmProbe>().close());
    QVERIFY(isLoaded<frmProbe>());
    QVERIFY(form<frmProbe>().isVisible());
}

void tst_platform::disabledWindowIgnoresCloseBox()
{
    form<frmProbe>().Show();
    form<frmProbe>().setEnabled(false);
    QVERIFY(!form<frmProbe>().close());
    QCOMPARE(frmProbe::unloads, 0);
    QVERIFY(isLoaded<frmProbe>());
}

void tst_platform::twipsAndCentring()
{
    frmProbe &w = form<frmProbe>();
    w.setFixedSize(200, 100);
    QCOMPARE(w.Width(), 3000);
    QCOMPARE(w.Height(), 1500);
    w.centreOnScreen();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(w.pos(), QPoint((screen.width() - 200) / 2, (screen.height() - 100) / 2));
    QCOMPARE(FormBehaviour::screenWidth(), screen.width() * 15);
}

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
