// The main window: start-up, the browser's rules, and the File Size and Delete File commands.
#include "TestSupport.h"

#include "app/BrowserRules.h"
#include "app/frmKestrola.h"
#include "platform/ListControls.h"
#include "platform/Services.h"
#include "ui_frmKestrola.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <cstdlib>

using namespace platform;
using testsupport::TempDrives;

namespace {

QStringList fileNames(const FileListBox *list)
{
    QStringList names;
    for (int i = 0; i < list->ListCount(); ++i)
        names << list->List(i);
    return names;
}

const QString DriveErrorPrompt = QStringLiteral(
    "Please check to see if there is a disk in the selected drive, or if the drive is working.");

} // namespace

class tst_frmKestrola : public QObject
{
    Q_OBJECT

public:
    // GLib reads XDG_DATA_HOME once: the trash must point at a temporary folder before anything starts
    static void initMain();

private Q_SLOTS:
    void init();
    void cleanup();

    void startsOnTheCurrentDriveButShowsCRoot_data();
    void startsOnTheCurrentDriveButShowsCRoot();
    void startsWhenDriveCCannotBeRead();
    void filterBoxOffersTwoEntries();
    void enterPressesTheFocusedButton();

    void driveChangeMovesTheLists();
    void singleClickOpensFolders();
    void filterNarrowsAndWidens();
    void typingInFilterChangesNothing();
    void nameBoxSurvivesFolderChange();
    void driveErrorRestoresTheDrive();
    void driveErrorShowsAtMostTwoBoxes();
    void vanishedFolderIsReported();

    void selectedFilePath_data();
    void selectedFilePath();
    void commandBoxes_data();
    void commandBoxes();
    void fileSizeBeyond2GiB();
    void deleteSendsToTrash();
    void deleteRefusedKeepsFile();
    void deleteMissingFileShowsShellErrorOnly();

private:
    frmKestrola &mainWindow();
    Ui::frmKestrola &ui() { return mainWindow().ui(); }
    void highlight(const QString &name);
    void clickFolderEntry(const QString &path);

    std::unique_ptr<TempDrives> m_drives;
    std::unique_ptr<testsupport::Services> m_services;
    static inline QString s_dataHome;
};

void tst_frmKestrola::initMain()
{
    static QTemporaryDir dataHome;
    s_dataHome = dataHome.path();
    qputenv("XDG_DATA_HOME", QFile::encodeName(s_dataHome));
}

void tst_frmKestrola::init()
{
    m_services = std::make_unique<testsupport::Services>();
}

void tst_frmKestrola::cleanup()
{
    testsupport::resetWindows();
    m_services.reset();
    m_drives.reset();
}

frmKestrola &tst_frmKestrola::mainWindow()
{
    if (!m_drives)
        m_drives = std::make_unique<TempDrives>();
    frmKestrola &w = form<frmKestrola>();
    if (!w.isVisible()) {
        w.Show();
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&w);
    }
    return w;
}

void tst_frmKestrola::highlight(const QString &name)
{
    FileListBox *files = ui().filFiles;
    const int row = fileNames(files).indexOf(name);
    QVERIFY2(row >= 0, qPrintable(name));
    files->setCurrentIndex(files->model()->index(row, 0));
}

void tst_frmKestrola::clickFolderEntry(const QString &path)
{
    DirListBox *dir = ui().dirDirectory;
    for (int i = 0; i < dir->ListCount(); ++i) {
        if (dir->List(i) == path) {
            const QRect r = dir->visualRect(dir->model()->index(i, 0));
            QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, r.center());
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no folder entry %1").arg(path)));
}

void tst_frmKestrola::startsOnTheCurrentDriveButShowsCRoot_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("drive");
    QTest::newRow("C root") << "C:\\" << "c: [home]";
    QTest::newRow("folder below C") << "C:\\Downloads" << "c: [home]";
    QTest::newRow("other drive") << "D:\\Work" << "d: [usb]";
}

void tst_frmKestrola::startsOnTheCurrentDriveButShowsCRoot()
{
    QFETCH(QString, current);
    QFETCH(QString, drive);
    m_drives = std::make_unique<TempDrives>(current);
    m_drives->makeFile(QStringLiteral("C:\\a.zip"));
    Ui::frmKestrola &u = ui();
    QCOMPARE(u.drvDrive->Drive(), drive);
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("C:\\"));
    QCOMPARE(u.filFiles->Path(), QStringLiteral("C:\\"));
    QCOMPARE(u.lblDirName->text(), QStringLiteral("C:\\"));
    QCOMPARE(fileNames(u.filFiles), QStringList { "a.zip" });
    QCOMPARE(u.txtFileName->text(), QString());
    QCOMPARE(u.filFiles->FileName(), QString());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(u.dirDirectory));
    QVERIFY(m_services->boxes.isEmpty());
}

void tst_frmKestrola::startsWhenDriveCCannotBeRead()
{
    m_drives = std::make_unique<TempDrives>(QStringLiteral("D:\\Work"));
    m_drives->setReady(QLatin1Char('C'), false);
    m_services->answer(vbOK);
    Ui::frmKestrola &u = ui();
    QCOMPARE(m_services->boxes.size(), 1);
    QCOMPARE(m_services->boxes.first().code, int(vbExclamation));
    // the three lists and the folder line agree on the folder the list opened in
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("D:\\Work"));
    QCOMPARE(u.filFiles->Path(), QStringLiteral("D:\\Work"));
    QCOMPARE(u.lblDirName->text(), QStringLiteral("D:\\Work"));
}

void tst_frmKestrola::filterBoxOffersTwoEntries()
{
    QComboBox *filter = ui().cboFileType;
    QCOMPARE(filter->count(), 2);
    QCOMPARE(filter->itemText(0), QStringLiteral("All files (*.*)"));
    QCOMPARE(filter->itemText(1), QStringLiteral("Zip files (*.zip)"));
    QCOMPARE(filter->currentText(), QStringLiteral("All files (*.*)"));
    QCOMPARE(ui().filFiles->Pattern(), QStringLiteral("*.*"));
}

void tst_frmKestrola::enterPressesTheFocusedButton()
{
    QWidget *button = testsupport::child(&mainWindow(), "cmdFileSize");
    button->setFocus();
    m_services->answer(vbOK);
    QTest::keyClick(button, Qt::Key_Return);
    QCOMPARE(m_services->boxes.size(), 1);
    QCOMPARE(m_services->boxes.first().prompt, QStringLiteral("You must first select a file!"));
    // Esc is nobody's: nothing happens
    QTest::keyClick(button, Qt::Key_Escape);
    QCOMPARE(m_services->boxes.size(), 1);
    QVERIFY(mainWindow().isVisible());
}

void tst_frmKestrola::driveChangeMovesTheLists()
{
    m_drives = std::make_unique<TempDrives>();
    m_drives->makeFile(QStringLiteral("D:\\disk.zip"));
    Ui::frmKestrola &u = ui();
    u.drvDrive->setCurrentIndex(1); // the user picks d:
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("D:\\"));
    QCOMPARE(u.filFiles->Path(), QStringLiteral("D:\\"));
    QCOMPARE(u.lblDirName->text(), QStringLiteral("D:\\"));
    QCOMPARE(fileNames(u.filFiles), QStringList { "disk.zip" });

    // picking the drive already selected runs nothing
    u.drvDrive->setCurrentIndex(1);
    QVERIFY(m_services->boxes.isEmpty());
}

void tst_frmKestrola::singleClickOpensFolders()
{
    m_drives = std::make_unique<TempDrives>();
    m_drives->makeFile(QStringLiteral("C:\\DATA\\Sub\\inner.zip"));
    m_drives->makeFile(QStringLiteral("C:\\DATA\\a.zip"));
    Ui::frmKestrola &u = ui();

    clickFolderEntry(QStringLiteral("C:\\DATA"));
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("C:\\DATA"));
    QCOMPARE(u.filFiles->Path(), QStringLiteral("C:\\DATA"));
    QCOMPARE(u.lblDirName->text(), QStringLiteral("C:\\DATA"));

    clickFolderEntry(QStringLiteral("C:\\DATA\\Sub"));
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("C:\\DATA\\Sub"));
    QCOMPARE(fileNames(u.filFiles), QStringList { "inner.zip" });

    // the open folder's own entry changes nothing
    clickFolderEntry(QStringLiteral("C:\\DATA\\Sub"));
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("C:\\DATA\\Sub"));

    clickFolderEntry(QStringLiteral("C:\\"));
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("C:\\"));
    QCOMPARE(u.filFiles->Path(), QStringLiteral("C:\\"));
    QCOMPARE(u.lblDirName->text(), QStringLiteral("C:\\"));
}

void tst_frmKestrola::filterNarrowsAndWidens()
{
    m_drives = std::make_unique<TempDrives>();
    for (const char *name : { "A.ZIP", "b.zip", "c.txt", "d.zipx" })
        m_drives->makeFile(QStringLiteral("C:\\") + QLatin1String(name));
    Ui::frmKestrola &u = ui();
    u.txtFileName->setText(QStringLiteral("typed"));

    u.cboFileType->setCurrentIndex(1);
    QCOMPARE(fileNames(u.filFiles), (QStringList { "A.ZIP", "b.zip" }));
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("C:\\"));
    QCOMPARE(u.lblDirName->text(), QStringLiteral("C:\\"));
    QCOMPARE(u.txtFileName->text(), QStringLiteral("typed"));

    u.cboFileType->setCurrentIndex(0);
    QCOMPARE(fileNames(u.filFiles), (QStringList { "A.ZIP", "b.zip", "c.txt", "d.zipx" }));
}

void tst_frmKestrola::typingInFilterChangesNothing()
{
    m_drives = std::make_unique<TempDrives>();
    m_drives->makeFile(QStringLiteral("C:\\a.zip"));
    m_drives->makeFile(QStringLiteral("C:\\b.txt"));
    Ui::frmKestrola &u = ui();
    u.cboFileType->lineEdit()->selectAll();
    QTest::keyClicks(u.cboFileType->lineEdit(), QStringLiteral("*.zip"));
    QCOMPARE(u.filFiles->Pattern(), QStringLiteral("*.*"));
    QCOMPARE(fileNames(u.filFiles).size(), 2);
}

void tst_frmKestrola::nameBoxSurvivesFolderChange()
{
    m_drives = std::make_unique<TempDrives>();
    m_drives->makeFile(QStringLiteral("C:\\a.zip"));
    m_drives->makeFolder(QStringLiteral("C:\\DATA"));
    Ui::frmKestrola &u = ui();
    highlight(QStringLiteral("a.zip"));
    QCOMPARE(u.txtFileName->text(), QStringLiteral("a.zip"));
    clickFolderEntry(QStringLiteral("C:\\DATA"));
    QCOMPARE(u.txtFileName->text(), QStringLiteral("a.zip"));
    QCOMPARE(u.filFiles->FileName(), QString());
}

void tst_frmKestrola::driveErrorRestoresTheDrive()
{
    m_drives = std::make_unique<TempDrives>(QStringLiteral("C:\\Downloads"));
    m_drives->makeFolder(QStringLiteral("C:\\DATA"));
    Ui::frmKestrola &u = ui();
    clickFolderEntry(QStringLiteral("C:\\DATA"));
    u.cboFileType->setCurrentIndex(1);
    u.txtFileName->setText(QStringLiteral("kept"));

    m_services->answer(vbOK);
    u.drvDrive->setCurrentIndex(3); // f: is not ready
    QCOMPARE(m_services->boxes.size(), 1);
    QCOMPARE(m_services->boxes.first().prompt, DriveErrorPrompt);
    QCOMPARE(m_services->boxes.first().title, QStringLiteral("Drive Error"));
    QCOMPARE(m_services->boxes.first().code, 48);
    // back on C, whose current folder for the process is where it started
    QCOMPARE(u.drvDrive->Drive(), QStringLiteral("c: [home]"));
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("C:\\Downloads"));
    QCOMPARE(u.filFiles->Path(), QStringLiteral("C:\\Downloads"));
    QCOMPARE(u.lblDirName->text(), QStringLiteral("C:\\Downloads"));
    QCOMPARE(u.cboFileType->currentIndex(), 1);
    QCOMPARE(u.txtFileName->text(), QStringLiteral("kept"));
}

void tst_frmKestrola::driveErrorShowsAtMostTwoBoxes()
{
    m_drives = std::make_unique<TempDrives>();
    Ui::frmKestrola &u = ui();
    u.drvDrive->setCurrentIndex(1); // d:
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("D:\\"));
    m_drives->setReady(QLatin1Char('D'), false); // the disk goes away while it is shown

    m_services->answer(vbOK);
    m_services->answer(vbOK);
    u.drvDrive->setCurrentIndex(3);
    QCOMPARE(m_services->boxes.size(), 2);
    QCOMPARE(u.drvDrive->Drive(), QStringLiteral("d: [usb]"));
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("D:\\"));
}

void tst_frmKestrola::vanishedFolderIsReported()
{
    m_drives = std::make_unique<TempDrives>();
    m_drives->makeFolder(QStringLiteral("C:\\Gone"));
    Ui::frmKestrola &u = ui();
    QVERIFY(QDir(m_drives->nativeOf(QStringLiteral("C:\\Gone"))).removeRecursively());
    m_services->answer(vbOK);
    clickFolderEntry(QStringLiteral("C:\\Gone"));
    QCOMPARE(m_services->boxes.size(), 1);
    QVERIFY(m_services->boxes.first().prompt.contains(QStringLiteral("C:\\Gone")));
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("C:\\"));
    QCOMPARE(u.filFiles->Path(), QStringLiteral("C:\\"));
    QCOMPARE(u.lblDirName->text(), QStringLiteral("C:\\"));
    QCOMPARE(u.dirDirectory->ListCount(), 1); // the vanished entry is gone from the list
}

void tst_frmKestrola::selectedFilePath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("highlighted");
    QTest::addColumn<QString>("nameBox");
    QTest::addColumn<QString>("path");

    QTest::newRow("root") << "C:\\" << "A.ZIP" << "A.ZIP" << "C:\\A.ZIP";
    QTest::newRow("folder") << "C:\\DATA" << "A.ZIP" << "A.ZIP" << "C:\\DATA\\A.ZIP";
    QTest::newRow("edited name box") << "C:\\DATA" << "A.ZIP" << "D:\\B.ZIP" << "D:\\B.ZIP";
    QTest::newRow("nothing highlighted") << "C:\\DATA" << "" << "A.ZIP" << "A.ZIP";
    QTest::newRow("differs in case") << "C:\\DATA" << "A.ZIP" << "a.zip" << "a.zip";
    QTest::newRow("spaces") << "C:\\DATA" << "" << "   " << "   ";
}

void tst_frmKestrola::selectedFilePath()
{
    QFETCH(QString, folder);
    QFETCH(QString, highlighted);
    QFETCH(QString, nameBox);
    QFETCH(QString, path);
    QCOMPARE(browser::selectedFilePath(folder, highlighted, nameBox), path);
}

void tst_frmKestrola::commandBoxes_data()
{
    QTest::addColumn<QString>("control"); // the button or the menu item
    QTest::addColumn<QString>("select");  // a file to highlight, or "" for none
    QTest::addColumn<QString>("nameBox"); // then the name box's text, when not null
    QTest::addColumn<QStringList>("prompts");

    const QString none;
    for (const char *pair : { "cmdFileSize", "mnuGetFileSize" }) {
        const QString c = QLatin1String(pair);
        QTest::addRow("%s, empty", pair) << c << none << none << QStringList { "You must first select a file!" };
        QTest::addRow("%s, file", pair) << c << "a.zip" << none << QStringList { "Size of C:\\DATA\\a.zip:   1234 bytes" };
        QTest::addRow("%s, empty file", pair) << c << "empty.zip" << none << QStringList { "Size of C:\\DATA\\empty.zip:   0 bytes" };
        QTest::addRow("%s, typed path", pair) << c << none << "C:\\DATA\\a.zip" << QStringList { "Size of C:\\DATA\\a.zip:   1234 bytes" };
        QTest::addRow("%s, missing", pair) << c << none << "C:\\nothing.zip" << QStringList { "Cannot find size of C:\\nothing.zip" };
        QTest::addRow("%s, spaces", pair) << c << none << "   " << QStringList { "Cannot find size of    " };
    }
    for (const char *pair : { "cmdDelete", "mnuDelete" }) {
        const QString c = QLatin1String(pair);
        QTest::addRow("%s, empty", pair) << c << none << none << QStringList { "You must first select a file to be deleted!" };
    }
}

void tst_frmKestrola::commandBoxes()
{
    QFETCH(QString, control);
    QFETCH(QString, select);
    QFETCH(QString, nameBox);
    QFETCH(QStringList, prompts);

    m_drives = std::make_unique<TempDrives>();
    m_drives->makeFile(QStringLiteral("C:\\DATA\\a.zip"), 1234);
    m_drives->makeFile(QStringLiteral("C:\\DATA\\empty.zip"));
    Ui::frmKestrola &u = ui();
    u.dirDirectory->setPath(QStringLiteral("C:\\DATA"));
    if (!select.isEmpty())
        highlight(select);
    if (!nameBox.isNull())
        u.txtFileName->setText(nameBox);

    for (int i = 0; i < prompts.size(); ++i)
        m_services->answer(vbOK);
    if (auto *action = mainWindow().findChild<QAction *>(control))
        action->trigger();
    else
        testsupport::click(&mainWindow(), qPrintable(control));

    QStringList shown;
    for (const testsupport::Box &b : std::as_const(m_services->boxes)) {
        shown << b.prompt;
        QCOMPARE(b.title, QStringLiteral("Kestrola"));
        QCOMPARE(b.code, 0);
    }
    QCOMPARE(shown, prompts);
    QCOMPARE(m_services->beeps, 0);
}

void tst_frmKestrola::fileSizeBeyond2GiB()
{
    m_drives = std::make_unique<TempDrives>();
    const QString native = m_drives->makeFile(QStringLiteral("C:\\disk.img"));
    QFile f(native);
    QVERIFY(f.resize(qint64(3) << 30)); // sparse: takes no room on the disk
    Ui::frmKestrola &u = ui();
    u.filFiles->Refresh();
    highlight(QStringLiteral("disk.img"));
    m_services->answer(vbOK);
    testsupport::click(&mainWindow(), "cmdFileSize");
    QCOMPARE(m_services->boxes.size(), 1);
    QCOMPARE(m_services->boxes.first().prompt, QStringLiteral("Size of C:\\disk.img:   3221225472 bytes"));
}

void tst_frmKestrola::deleteSendsToTrash()
{
    m_drives = std::make_unique<TempDrives>();
    const QString native = m_drives->makeFile(QStringLiteral("C:\\DATA\\old download.zip"), 10);
    Ui::frmKestrola &u = ui();
    u.dirDirectory->setPath(QStringLiteral("C:\\DATA"));
    highlight(QStringLiteral("old download.zip"));

    m_services->answer(vbYes);
    testsupport::click(&mainWindow(), "cmdDelete");
    QCOMPARE(m_services->boxes.size(), 1);
    QCOMPARE(m_services->boxes.first().title, QStringLiteral("Confirm File Delete"));
    QVERIFY(m_services->boxes.first().prompt.contains(QStringLiteral("C:\\DATA\\old download.zip")));

    QVERIFY(!QFile::exists(native));
    QVERIFY(QFile::exists(s_dataHome + QStringLiteral("/Trash/files/old download.zip")));
    QVERIFY(QFile::exists(s_dataHome + QStringLiteral("/Trash/info/old download.zip.trashinfo")));
    QVERIFY(fileNames(u.filFiles).isEmpty());
    QCOMPARE(u.txtFileName->text(), QStringLiteral("old download.zip"));
    QCOMPARE(m_services->beeps, 0);
}

void tst_frmKestrola::deleteRefusedKeepsFile()
{
    m_drives = std::make_unique<TempDrives>();
    const QString native = m_drives->makeFile(QStringLiteral("C:\\keep.zip"), 10);
    Ui::frmKestrola &u = ui();
    u.filFiles->Refresh();
    highlight(QStringLiteral("keep.zip"));
    m_services->answer(vbNo);
    mainWindow().findChild<QAction *>(QStringLiteral("mnuDelete"))->trigger();
    QCOMPARE(m_services->boxes.size(), 1);
    QVERIFY(QFile::exists(native));
    QCOMPARE(fileNames(u.filFiles), QStringList { "keep.zip" });
}

void tst_frmKestrola::deleteMissingFileShowsShellErrorOnly()
{
    m_drives = std::make_unique<TempDrives>();
    Ui::frmKestrola &u = ui();
    u.txtFileName->setText(QStringLiteral("C:\\no such file.zip"));
    m_services->answer(vbOK);
    testsupport::click(&mainWindow(), "cmdDelete");
    QCOMPARE(m_services->boxes.size(), 1);
    QVERIFY(m_services->boxes.first().title != QStringLiteral("Error in delete..."));
    QVERIFY(m_services->boxes.first().prompt.contains(QStringLiteral("no such file.zip")));
    QCOMPARE(m_services->beeps, 0);
}

QTEST_MAIN(tst_frmKestrola)
#include "tst_frmKestrola.moc"
