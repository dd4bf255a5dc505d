// The help windows and the About box: how they open, switch topics, hide, close and come back.
#include "TestSupport.h"

#include "app/frmKestrola.h"
#include "help/frmAbout.h"
#include "help/frmHelp.h"
#include "help/frmHelpForm.h"
#include "platform/Look.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

using namespace platform;
using testsupport::child;
using testsupport::click;

namespace {

const QStringList Pages
    = { QStringLiteral("fraHowToUse"), QStringLiteral("fraHelpWithZip"), QStringLiteral("fraAboutProgram"),
          QStringLiteral("fraAboutAuthor"), QStringLiteral("fraQuestionsComments") };

// The pages of the topics window that are set visible, in page order.
QStringList visiblePages(QWidget *topics)
{
    QStringList shown;
    for (const QString &name : Pages) {
        auto *page = topics->findChild<QWidget *>(name);
        if (page && page->isVisibleTo(topics))
            shown << name;
    }
    return shown;
}

// Centred: the free space left and right of the outer frame is shared out evenly, and so is the space
// above and below. A window is centred while it is loaded, before it was ever shown, and the toolkit
// learns the size of a window's frame only from a frame it has already drawn; so the frame's own width
// is allowed for, which still tells a centred window from one left anywhere else.
bool isCentred(QWidget *w)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = w->frameGeometry();
    const QRect client = w->geometry();
    const int slackX = 1 + (client.left() - frame.left()) + (frame.right() - client.right());
    const int slackY = 1 + (client.top() - frame.top()) + (frame.bottom() - client.bottom());
    const int left = frame.left() - screen.left();
    const int right = screen.right() - frame.right();
    const int top = frame.top() - screen.top();
    const int bottom = screen.bottom() - frame.bottom();
    return qAbs(left - right) <= slackX && qAbs(top - bottom) <= slackY;
}

QString describe(QWidget *w)
{
    const QRect f = w->frameGeometry();
    return QStringLiteral("%1 at %2,%3 size %4x%5")
        .arg(w->objectName())
        .arg(f.x())
        .arg(f.y())
        .arg(f.width())
        .arg(f.height());
}

} // namespace

class tst_frmHelp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void helpMenuOpensCentredWithFocusOnAboutTheAuthor();
    void topicShowsItsPageAndCaption_data();
    void topicShowsItsPageAndCaption();
    void topicAfterCloseBoxIsCentredWithOnlyItsPage();
    void topicAfterExitHelpMenuIsWhereItWas();
    void exitHelpMenuWithNoTopicShowsNothingElse();
    void helpCloseBoxLeavesTopicsOpenAndEnablesMainWindow();
    void keyboardFollowsTheTopicOrder();

    void aboutIsLoadedHiddenAndOpensAtItsStoredPlace();
    void aboutTwiceGivesOneAboutBox();
    void aboutAfterMoveAndCloseOpensAtStoredPlace();

    void windowsCarryTheirIcons();
    void everyLabelShowsAllItsText();

private:
    frmKestrola &mainWindow();
    void trigger(const char *menuItem);
    frmHelp &openHelp();
    static QWidget *topLevel(const char *name);

    std::unique_ptr<testsupport::TempDrives> m_drives;
    std::unique_ptr<testsupport::Services> m_services;
};

void tst_frmHelp::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // the look and the dialog font of the real program, so that text is measured as the user sees it
    applyClassicLook(*qApp, false);
}

void tst_frmHelp::init()
{
    m_drives = std::make_unique<testsupport::TempDrives>();
    m_services = std::make_unique<testsupport::Services>();
}

void tst_frmHelp::cleanup()
{
    testsupport::resetWindows();
    m_services.reset();
    m_drives.reset();
}

frmKestrola &tst_frmHelp::mainWindow()
{
    frmKestrola &w = form<frmKestrola>();
    if (!w.isVisible()) {
        w.Show();
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&w);
    }
    return w;
}

void tst_frmHelp::trigger(const char *menuItem)
{
    auto *action = mainWindow().findChild<QAction *>(QLatin1String(menuItem));
    QVERIFY2(action, menuItem);
    action->trigger();
}

frmHelp &tst_frmHelp::openHelp()
{
    trigger("mnuHelp");
    frmHelp &help = form<frmHelp>();
    [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&help);
    return help;
}

// The visible top-level windows of one class, by object name; there must never be two.
QWidget *tst_frmHelp::topLevel(const char *name)
{
    QWidget *found = nullptr;
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name) && w->isVisible()) {
            found = w;
            ++count;
        }
    }
    return count == 1 ? found : nullptr;
}

void tst_frmHelp::helpMenuOpensCentredWithFocusOnAboutTheAuthor()
{
    frmHelp &help = openHelp();
    QVERIFY(help.isVisible());
    QVERIFY2(isCentred(&help), qPrintable(describe(&help)));
    QVERIFY(!mainWindow().isEnabled());
    QCOMPARE(help.focusWidget(), child(&help, "cmdAboutAuthor"));
    QCOMPARE(help.windowTitle(), QStringLiteral("Kestrola Help Menu"));
    QCOMPARE(help.size(), QSize(417, 185));
    QVERIFY(!isLoaded<frmHelpForm>());
}

void tst_frmHelp::topicShowsItsPageAndCaption_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QByteArray>("before");

    QTest::newRow("About the Author") << QByteArray("cmdAboutAuthor") << "About the Author"
                                      << "fraAboutAuthor" << QByteArray("cmdHowToUse");
    QTest::newRow("Questions or Comments")
        << QByteArray("cmdQuestionsComments") << "Further Questions or Comments"
        << "fraQuestionsComments" << QByteArray("cmdAboutAuthor");
    QTest::newRow("Help with .zip Files") << QByteArray("cmdHelpWithZip") << "Help with .zip Files"
                                          << "fraHelpWithZip" << QByteArray("cmdQuestionsComments");
    QTest::newRow("How to Use") << QByteArray("cmdHowToUse") << "How To Use Kestrola"
                                << "fraHowToUse" << QByteArray("cmdAboutProgram");
    QTest::newRow("About the Program") << QByteArray("cmdAboutProgram") << "About Kestrola"
                                       << "fraAboutProgram" << QByteArray("cmdHelpWithZip");
    QTest::newRow("same topic twice") << QByteArray("cmdHowToUse") << "How To Use Kestrola"
                                      << "fraHowToUse" << QByteArray("cmdHowToUse");
}

// Another topic is open first, so the button switches page and caption in the window already up.
void tst_frmHelp::topicShowsItsPageAndCaption()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, caption);
    QFETCH(QString, page);
    QFETCH(QByteArray, before);

    frmHelp &help = openHelp();
    click(&help, before.constData());
    frmHelpForm *first = &form<frmHelpForm>();
    QVERIFY(QTest::qWaitForWindowExposed(first));

    click(&help, button.constData());
    QCOMPARE(&form<frmHelpForm>(), first);
    QCOMPARE(topLevel("frmHelpForm"), first);
    QCOMPARE(first->windowTitle(), caption);
    QCOMPARE(visiblePages(first), QStringList { page });
    QVERIFY(first->isVisible());

    // the help menu stays up and usable beside it; the main window stays disabled
    QVERIFY(help.isVisible());
    QVERIFY(help.isEnabled());
    QVERIFY(!mainWindow().isEnabled());
}

void tst_frmHelp::topicAfterCloseBoxIsCentredWithOnlyItsPage()
{
    frmHelp &help = openHelp();
    click(&help, "cmdQuestionsComments");
    frmHelpForm &topics = form<frmHelpForm>();
    QVERIFY(QTest::qWaitForWindowExposed(&topics));
    topics.move(12, 34);

    QVERIFY(topics.close());
    QVERIFY(!isLoaded<frmHelpForm>());
    // closing the topics window hands nothing back: the help menu is still up and the main window disabled
    QVERIFY(help.isVisible());
    QVERIFY(help.isEnabled());
    QVERIFY(!mainWindow().isEnabled());

    click(&help, "cmdAboutAuthor");
    frmHelpForm &again = form<frmHelpForm>();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QVERIFY2(isCentred(&again), qPrintable(describe(&again)));
    QCOMPARE(visiblePages(&again), QStringList { QStringLiteral("fraAboutAuthor") });
    QCOMPARE(again.windowTitle(), QStringLiteral("About the Author"));

    // a reload starts from the stored layout: no caption, and the stored pages
    QVERIFY(again.close());
    click(&help, "Command9");
    frmHelpForm &stored = form<frmHelpForm>();
    QVERIFY(!stored.isVisible());
    QCOMPARE(stored.windowTitle(), QString());
    QCOMPARE(visiblePages(&stored),
        (QStringList { QStringLiteral("fraHowToUse"), QStringLiteral("fraHelpWithZip"),
            QStringLiteral("fraAboutProgram") }));
}

void tst_frmHelp::topicAfterExitHelpMenuIsWhereItWas()
{
    frmHelp &help = openHelp();
    click(&help, "cmdHelpWithZip");
    frmHelpForm &topics = form<frmHelpForm>();
    QVERIFY(QTest::qWaitForWindowExposed(&topics));
    topics.move(21, 43);
    help.move(250, 60);
    child(&help, "cmdHowToUse")->setFocus();
    const QPoint topicsPlace = topics.pos();
    const QPoint helpPlace = help.pos();

    click(&help, "Command9");
    QVERIFY(!help.isVisible());
    QVERIFY(!topics.isVisible());
    QVERIFY(isLoaded<frmHelp>());
    QVERIFY(isLoaded<frmHelpForm>());
    QVERIFY(mainWindow().isVisible());
    QVERIFY(mainWindow().isEnabled());

    // the same help menu comes back where it was left, with its focus
    openHelp();
    QCOMPARE(&form<frmHelp>(), &help);
    QCOMPARE(help.pos(), helpPlace);
    QCOMPARE(help.focusWidget(), child(&help, "cmdHowToUse"));
    QVERIFY(!mainWindow().isEnabled());

    click(&help, "cmdAboutProgram");
    QCOMPARE(&form<frmHelpForm>(), &topics);
    QVERIFY(topics.isVisible());
    QCOMPARE(topics.pos(), topicsPlace);
    QCOMPARE(topics.windowTitle(), QStringLiteral("About Kestrola"));
    QCOMPARE(visiblePages(&topics), QStringList { QStringLiteral("fraAboutProgram") });
}

void tst_frmHelp::exitHelpMenuWithNoTopicShowsNothingElse()
{
    frmHelp &help = openHelp();
    click(&help, "Command9");
    QVERIFY(!help.isVisible());
    QVERIFY(mainWindow().isEnabled());
    // hiding the topics window loaded it, and it stays out of sight
    QVERIFY(isLoaded<frmHelpForm>());
    QVERIFY(!form<frmHelpForm>().isVisible());
    QCOMPARE(topLevel("frmHelpForm"), nullptr);
    QCOMPARE(topLevel("frmAbout"), nullptr);
}

void tst_frmHelp::helpCloseBoxLeavesTopicsOpenAndEnablesMainWindow()
{
    frmHelp &help = openHelp();
    click(&help, "cmdAboutAuthor");
    frmHelpForm &topics = form<frmHelpForm>();
    QVERIFY(QTest::qWaitForWindowExposed(&topics));
    help.move(5, 6);

    QVERIFY(help.close());
    QVERIFY(!isLoaded<frmHelp>());
    QVERIFY(mainWindow().isEnabled());
    QVERIFY(topics.isVisible());
    QCOMPARE(topics.windowTitle(), QStringLiteral("About the Author"));
    QCOMPARE(visiblePages(&topics), QStringList { QStringLiteral("fraAboutAuthor") });

    // the next Help builds the help menu afresh, centred
    frmHelp &again = openHelp();
    QVERIFY2(isCentred(&again), qPrintable(describe(&again)));
    QCOMPARE(again.focusWidget(), child(&again, "cmdAboutAuthor"));
    QVERIFY(!mainWindow().isEnabled());
    QCOMPARE(&form<frmHelpForm>(), &topics);
}

// Tab walks the buttons in the topic order; Enter presses the button with the focus, Esc does nothing.
void tst_frmHelp::keyboardFollowsTheTopicOrder()
{
    frmHelp &help = openHelp();
    QWidget *start = child(&help, "cmdAboutAuthor");
    QStringList order;
    QWidget *w = start;
    do {
        if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(&help))
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != start && order.size() < 20);
    QCOMPARE(order,
        (QStringList { "cmdAboutAuthor", "cmdHowToUse", "cmdHelpWithZip", "cmdQuestionsComments", "Command9",
            "cmdAboutProgram" }));

    QTest::keyClick(&help, Qt::Key_Escape);
    QVERIFY(help.isVisible());
    QVERIFY(!mainWindow().isEnabled());

    QWidget *howTo = child(&help, "cmdHowToUse");
    howTo->setFocus();
    QTest::keyClick(howTo, Qt::Key_Return);
    QTRY_VERIFY(isLoaded<frmHelpForm>() && form<frmHelpForm>().isVisible());
    QCOMPARE(form<frmHelpForm>().windowTitle(), QStringLiteral("How To Use Kestrola"));

    QWidget *exit = child(&help, "Command9");
    exit->setFocus();
    QTest::keyClick(exit, Qt::Key_Enter);
    QTRY_VERIFY(!help.isVisible());
    QVERIFY(mainWindow().isEnabled());
}

void tst_frmHelp::aboutIsLoadedHiddenAndOpensAtItsStoredPlace()
{
    mainWindow();
    QVERIFY(isLoaded<frmAbout>());
    frmAbout &about = form<frmAbout>();
    QVERIFY(!about.isVisible());

    trigger("mnuAbout");
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    // the client area's top-left corner, not the frame's
    QCOMPARE(about.geometry(), QRect(126, 181, 322, 156));
    QCOMPARE(about.windowTitle(), QStringLiteral("Kestrola"));
    QVERIFY(mainWindow().isEnabled());
    QCOMPARE(child(&about, "Label8")->property("text").toString(), QString());
}

void tst_frmHelp::aboutTwiceGivesOneAboutBox()
{
    trigger("mnuAbout");
    frmAbout *first = &form<frmAbout>();
    QVERIFY(QTest::qWaitForWindowExposed(first));
    first->move(300, 200);
    const QPoint place = first->pos();

    trigger("mnuAbout");
    QCOMPARE(&form<frmAbout>(), first);
    QCOMPARE(topLevel("frmAbout"), first);
    QCOMPARE(first->pos(), place);
    QVERIFY(mainWindow().isEnabled());
}

void tst_frmHelp::aboutAfterMoveAndCloseOpensAtStoredPlace()
{
    trigger("mnuAbout");
    frmAbout *first = &form<frmAbout>();
    QVERIFY(QTest::qWaitForWindowExposed(first));
    first->move(300, 200);
    QVERIFY(first->close());
    QVERIFY(!isLoaded<frmAbout>());
    QVERIFY(mainWindow().isEnabled());

    trigger("mnuAbout");
    frmAbout &again = form<frmAbout>();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(topLevel("frmAbout"), &again);
    QCOMPARE(again.geometry().topLeft(), QPoint(126, 181));
}

void tst_frmHelp::windowsCarryTheirIcons()
{
    const auto sameIcon = [](QWidget *w, const QString &picture, int size) {
        const QImage shown
            = w->windowIcon().pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage stored = QImage(picture).convertToFormat(QImage::Format_ARGB32);
        return !stored.isNull() && shown == stored;
    };
    QWidget *help = &form<frmHelp>();
    QWidget *topics = &form<frmHelpForm>();
    QWidget *about = &form<frmAbout>();
    QVERIFY(sameIcon(help, QStringLiteral(":/pictures/question-32.png"), 32));
    QVERIFY(sameIcon(help, QStringLiteral(":/pictures/question-16.png"), 16));
    for (QWidget *w : { topics, about }) {
        QVERIFY2(sameIcon(w, QStringLiteral(":/pictures/kestrola-32.png"), 32), qPrintable(w->objectName()));
        QVERIFY2(sameIcon(w, QStringLiteral(":/pictures/kestrola-16.png"), 16), qPrintable(w->objectName()));
    }
}

// A label shows only what fits in its box, so every text written for these windows must fit, lines and
// words alike, in the dialog font the program runs with: the same text in a taller label may not put any
// ink below the real label's bottom row, and no word may be wider than the label.
void tst_frmHelp::everyLabelShowsAllItsText()
{
    QStringList clipped;
    for (QWidget *window : { static_cast<QWidget *>(&form<frmHelp>()),
             static_cast<QWidget *>(&form<frmHelpForm>()), static_cast<QWidget *>(&form<frmAbout>()) }) {
        for (QLabel *label : window->findChildren<QLabel *>()) {
            if (label->text().isEmpty())
                continue;
            QLabel taller;
            taller.setFont(label->font());
            taller.setTextFormat(label->textFormat());
            taller.setAlignment(label->alignment());
            taller.setWordWrap(label->wordWrap());
            taller.setText(label->text());
            taller.setFixedSize(label->width(), label->height() + 200);
            const QImage image = taller.grab().toImage();
            const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
            int lowestInk = -1;
            for (int y = image.height() - 1; y >= 0 && lowestInk < 0; --y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (image.pixel(x, y) != background) {
                        lowestInk = y;
                        break;
                    }
                }
            }
            const int widest = QFontMetrics(label->font())
                                   .boundingRect(QRect(0, 0, label->width(), 100000),
                                       int(label->alignment()) | Qt::TextWordWrap, label->text())
                                   .width();
            if (lowestInk < 0 || lowestInk >= label->height() || widest > label->width())
                clipped << QStringLiteral("%1.%2: ink down to row %3 and %4 px wide in %5x%6")
                               .arg(window->objectName(), label->objectName())
                               .arg(lowestInk)
                               .arg(widest)
                               .arg(label->width())
                               .arg(label->height());
        }
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
}

QTEST_MAIN(tst_frmHelp)
#include "tst_frmHelp.moc"
