// The expansion dialog and the expansion run: opening, closing steps, command line, launch failure.
#include "TestSupport.h"

#include "app/frmKestrola.h"
#include "platform/Form.h"
#include "platform/ListControls.h"
#include "platform/Services.h"
#include "ui_frmKestrola.h"
#include "ui_frmUnZip.h"
#include "unzip/frmUnZip.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace platform;
using testsupport::TempDrives;

namespace {

const QString UnZipFailure = QStringLiteral(
    "Cannot UnZip!!  Please make sure that you have a recent version of 'pkunzip' for DOS--and that it is located in "
    "the DIRECTORY in which you INSTALLED Kestrola.  Also make sure that the selected file is a *.zip file!");

// Where a shown window's frame must be for the whole window to be centred.
QPoint centredPosition(QWidget *w)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = w->frameGeometry();
    return QPoint((screen.width() - frame.width()) / 2, (screen.height() - frame.height()) / 2);
}

} // namespace

class tst_frmUnZip : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void unZipCommandRefusesAndConfirms_data();
    void unZipCommandRefusesAndConfirms();
    void firstOpeningIsCentredAtCRoot();
    void cancelKeepsDriveFolderAndPlace();
    void closeBoxRebuildsTheDialog();
    void everyWayOutResetsTheMainWindow_data();
    void everyWayOutResetsTheMainWindow();
    void helpNamesTheFileListSelection_data();
    void helpNamesTheFileListSelection();
    void driveErrorInTheDialog();
    void singleClickedFolderIsNotTheDestination();

    void commandLine_data();
    void commandLine();
    void missingExpansionProgram();
    void launchesARealProgram();

private:
    Ui::frmKestrola &main() { return form<frmKestrola>().ui(); }
    void startIn(const QString &folder, const QString &file);
    void openDialog();

    std::unique_ptr<TempDrives> m_drives;
    std::unique_ptr<testsupport::Services> m_services;
    QTemporaryDir m_bin; // holds a stand-in pkunzip.exe on the search path
    QByteArray m_oldPath;
};

void tst_frmUnZip::initTestCase()
{
    m_oldPath = qgetenv("PATH");
    QFile fake(m_bin.path() + QStringLiteral("/pkunzip.exe"));
    QVERIFY(fake.open(QIODevice::WriteOnly));
    // records its arguments beside the destination, the way a real run would leave traces there
    fake.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$KESTROLA_TEST_RECORD.tmp\" && "
               "mv \"$KESTROLA_TEST_RECORD.tmp\" \"$KESTROLA_TEST_RECORD\"\n");
    fake.close();
    fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void tst_frmUnZip::init()
{
    qputenv("PATH", m_bin.path().toUtf8() + ":/usr/bin:/bin");
    m_services = std::make_unique<testsupport::Services>();
}

void tst_frmUnZip::cleanup()
{
    testsupport::resetWindows();
    m_services.reset();
    m_drives.reset();
    qputenv("PATH", m_oldPath);
}

void tst_frmUnZip::startIn(const QString &folder, const QString &file)
{
    if (!m_drives)
        m_drives = std::make_unique<TempDrives>();
    if (!file.isEmpty())
        m_drives->makeFile(folder + (folder.endsWith(QLatin1Char('\\')) ? QString() : QStringLiteral("\\")) + file, 22);
    else
        m_drives->makeFolder(folder);
    frmKestrola &w = form<frmKestrola>();
    w.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    main().dirDirectory->setPath(folder);
    if (!file.isEmpty()) {
        FileListBox *files = main().filFiles;
        for (int i = 0; i < files->ListCount(); ++i) {
            if (files->List(i) == file)
                files->setCurrentIndex(files->model()->index(i, 0));
        }
        QCOMPARE(main().txtFileName->text(), file);
    }
}

void tst_frmUnZip::openDialog()
{
    m_services->answer(vbOK);
    testsupport::click(&form<frmKestrola>(), "btnUnZip");
    QVERIFY(isLoaded<frmUnZip>());
    QVERIFY(QTest::qWaitForWindowExposed(&form<frmUnZip>()));
}

void tst_frmUnZip::unZipCommandRefusesAndConfirms_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("nameBox"); // null: leave what the highlight put there
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<bool>("opened");

    const QString keep;
    QTest::newRow("button, folder") << "btnUnZip" << "C:\\DATA" << "A.ZIP" << keep << int(vbOK)
        << "You have selected the file:   C:\\DATA\\A.ZIP .  Are you sure that you want to UnZip this file?" << true;
    QTest::newRow("menu, root") << "mnuUnZip" << "C:\\" << "A.ZIP" << keep << int(vbOK)
        << "You have selected the file:   C:\\A.ZIP .  Are you sure that you want to UnZip this file?" << true;
    QTest::newRow("edited name box") << "btnUnZip" << "C:\\DATA" << "A.ZIP" << "D:\\other.zip" << int(vbCancel)
        << "You have selected the file:   D:\\other.zip .  Are you sure that you want to UnZip this file?" << false;
    QTest::newRow("highlighted but empty name box") << "mnuUnZip" << "C:\\DATA" << "A.ZIP" << "" << 0
        << "You must first select a file to UnZip!" << false;
}

void tst_frmUnZip::unZipCommandRefusesAndConfirms()
{
    QFETCH(QString, control);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QFETCH(QString, nameBox);
    QFETCH(int, answer);
    QFETCH(QString, prompt);
    QFETCH(bool, opened);

    startIn(folder, file);
    if (!nameBox.isNull())
        main().txtFileName->setText(nameBox);
    m_services->answer(answer == 0 ? int(vbOK) : answer);
    if (auto *action = form<frmKestrola>().findChild<QAction *>(control))
        action->trigger();
    else
        testsupport::click(&form<frmKestrola>(), qPrintable(control));

    QCOMPARE(m_services->boxes.size(), 1);
    const testsupport::Box box = m_services->boxes.first();
    QCOMPARE(box.prompt, prompt);
    QCOMPARE(box.code, answer == 0 ? 0 : 1);
    QCOMPARE(box.title, answer == 0 ? QStringLiteral("Kestrola") : QStringLiteral("Continue with Procedure?"));
    QCOMPARE(isLoaded<frmUnZip>(), opened);
    QCOMPARE(form<frmKestrola>().isEnabled(), !opened);
    if (opened)
        QVERIFY(form<frmUnZip>().isEnabled() && form<frmUnZip>().isVisible());
}

void tst_frmUnZip::firstOpeningIsCentredAtCRoot()
{
    m_drives = std::make_unique<TempDrives>(QStringLiteral("D:\\Work"));
    startIn(QStringLiteral("C:\\"), QStringLiteral("a.zip"));
    openDialog();
    frmUnZip &dialog = form<frmUnZip>();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("File UnZip Options"));
    QCOMPARE(dialog.ui().dirUnZipTo->Path(), QStringLiteral("C:\\"));
    QCOMPARE(dialog.ui().drvDrive2->Drive(), QStringLiteral("d: [usb]"));
    QCOMPARE(dialog.pos(), centredPosition(&dialog));
    QCOMPARE(dialog.focusWidget(), static_cast<QWidget *>(dialog.ui().btnCancelUnZip));
}

void tst_frmUnZip::cancelKeepsDriveFolderAndPlace()
{
    startIn(QStringLiteral("C:\\"), QStringLiteral("a.zip"));
    m_drives->makeFolder(QStringLiteral("D:\\Out"));
    openDialog();
    frmUnZip &dialog = form<frmUnZip>();
    dialog.ui().drvDrive2->setCurrentIndex(1);
    dialog.ui().dirUnZipTo->setPath(QStringLiteral("D:\\Out"));
    dialog.move(dialog.pos() + QPoint(30, 20));
    const QPoint place = dialog.pos();

    testsupport::click(&dialog, "btnCancelUnZip");
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.isEnabled());

    openDialog();
    QCOMPARE(&form<frmUnZip>(), &dialog);
    QCOMPARE(dialog.ui().drvDrive2->Drive(), QStringLiteral("d: [usb]"));
    QCOMPARE(dialog.ui().dirUnZipTo->Path(), QStringLiteral("D:\\Out"));
    QCOMPARE(dialog.pos(), place);
    QVERIFY(dialog.isEnabled());
}

void tst_frmUnZip::closeBoxRebuildsTheDialog()
{
    startIn(QStringLiteral("C:\\"), QStringLiteral("a.zip"));
    m_drives->makeFolder(QStringLiteral("C:\\Out"));
    openDialog();
    form<frmUnZip>().ui().dirUnZipTo->setPath(QStringLiteral("C:\\Out"));
    form<frmUnZip>().move(5, 5);
    QVERIFY(form<frmUnZip>().close());
    QVERIFY(!isLoaded<frmUnZip>());
    QVERIFY(form<frmKestrola>().isEnabled());

    openDialog();
    QCOMPARE(form<frmUnZip>().ui().dirUnZipTo->Path(), QStringLiteral("C:\\"));
    QCOMPARE(form<frmUnZip>().pos(), centredPosition(&form<frmUnZip>()));
}

void tst_frmUnZip::everyWayOutResetsTheMainWindow_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Cancel") << "cancel";
    QTest::newRow("close box") << "close";
    QTest::newRow("successful run") << "run";
}

void tst_frmUnZip::everyWayOutResetsTheMainWindow()
{
    QFETCH(QString, way);
    m_drives = std::make_unique<TempDrives>(QStringLiteral("C:\\Start"));
    startIn(QStringLiteral("D:\\Archives"), QStringLiteral("a.zip"));
    main().drvDrive->setCurrentIndex(1);
    main().dirDirectory->setPath(QStringLiteral("D:\\Archives"));
    openDialog();
    // appears while the dialog is up: only a re-read shows it
    m_drives->makeFile(QStringLiteral("C:\\new.zip"));

    if (way == QLatin1String("cancel"))
        testsupport::click(&form<frmUnZip>(), "btnCancelUnZip");
    else if (way == QLatin1String("close"))
        QVERIFY(form<frmUnZip>().close());
    else
        testsupport::click(&form<frmUnZip>(), "btnUnZipNow");

    Ui::frmKestrola &u = main();
    QVERIFY(form<frmKestrola>().isEnabled());
    QCOMPARE(u.drvDrive->Drive(), QStringLiteral("c: [home]"));
    QCOMPARE(u.dirDirectory->Path(), QStringLiteral("C:\\"));
    QCOMPARE(u.filFiles->Path(), QStringLiteral("C:\\"));
    QCOMPARE(u.lblDirName->text(), QStringLiteral("C:\\"));
    QVERIFY(u.filFiles->List(0) == QStringLiteral("new.zip"));
    QCOMPARE(u.txtFileName->text(), QStringLiteral("a.zip"));
    QCOMPARE(m_services->launches.size(), way == QLatin1String("run") ? 1 : 0);
    if (isLoaded<frmUnZip>())
        QVERIFY(!form<frmUnZip>().isVisible() && !form<frmUnZip>().isEnabled());
}

void tst_frmUnZip::helpNamesTheFileListSelection_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("named");
    QTest::newRow("selection") << "a.zip" << "" << "a.zip";
    QTest::newRow("typed name ignored") << "a.zip" << "C:\\other.zip" << "a.zip";
}

void tst_frmUnZip::helpNamesTheFileListSelection()
{
    QFETCH(QString, file);
    QFETCH(QString, typed);
    QFETCH(QString, named);
    startIn(QStringLiteral("C:\\"), file);
    if (!typed.isEmpty())
        main().txtFileName->setText(typed);
    openDialog();
    m_services->answer(vbOK);
    testsupport::click(&form<frmUnZip>(), "cmdHelp");
    QCOMPARE(m_services->boxes.last().prompt,
             QStringLiteral("A zipped file has files that are compressed into one '.zip' file.  You are about to UnZip "
                            "the selected file: ")
                 + named
                 + QStringLiteral(" .  You need to choose a directory in which to expand the Zipped files into.  Do "
                                  "this by clickng on the directory of your choice in the box to the right."));
    QCOMPARE(m_services->boxes.last().title, QStringLiteral("Kestrola"));
    QCOMPARE(m_services->boxes.last().code, 0);
}

void tst_frmUnZip::driveErrorInTheDialog()
{
    startIn(QStringLiteral("C:\\"), QStringLiteral("a.zip"));
    openDialog();
    frmUnZip &dialog = form<frmUnZip>();
    m_services->answer(vbOK);
    dialog.ui().drvDrive2->setCurrentIndex(3); // f: is not ready
    QCOMPARE(m_services->boxes.last().title, QStringLiteral("Drive Error"));
    QCOMPARE(m_services->boxes.last().code, 48);
    QCOMPARE(m_services->boxes.size(), 2);
    QCOMPARE(dialog.ui().drvDrive2->Drive(), QStringLiteral("c: [home]"));
    QCOMPARE(dialog.ui().dirUnZipTo->Path(), QStringLiteral("C:\\"));
    QVERIFY(dialog.isVisible() && dialog.isEnabled());
}

void tst_frmUnZip::singleClickedFolderIsNotTheDestination()
{
    startIn(QStringLiteral("C:\\"), QStringLiteral("a.zip"));
    m_drives->makeFolder(QStringLiteral("C:\\Out"));
    openDialog();
    DirListBox *dir = form<frmUnZip>().ui().dirUnZipTo;
    dir->Refresh();
    const QRect r = dir->visualRect(dir->model()->index(1, 0));
    QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(dir->List(dir->ListIndex()), QStringLiteral("C:\\Out"));
    QCOMPARE(dir->Path(), QStringLiteral("C:\\"));

    QTest::mouseDClick(dir->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(dir->Path(), QStringLiteral("C:\\Out"));
}

void tst_frmUnZip::commandLine_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("command");

    QTest::newRow("below the root") << "C:\\DATA" << "A.ZIP" << "" << "C:\\OUT"
                                    << "pkunzip.exe C:\\DATA\\A.ZIP C:\\OUT";
    QTest::newRow("root destination") << "C:\\DATA" << "A.ZIP" << "" << "D:\\" << "pkunzip.exe C:\\DATA\\A.ZIP D:\\";
    QTest::newRow("archive at a root") << "C:\\" << "A.ZIP" << "" << "C:\\OUT" << "pkunzip.exe C:\\A.ZIP C:\\OUT";
    QTest::newRow("long names with spaces")
        << "C:\\My Downloads" << "Tools Archive.zip" << "" << "C:\\Program Files\\Tools"
        << "pkunzip.exe C:\\MYDOWN~1\\TOOLSA~1.ZIP C:\\PROGRA~1\\TOOLS";
    QTest::newRow("typed name of no file") << "C:\\DATA" << "A.ZIP" << "C:\\nothing.zip" << "C:\\OUT"
                                           << "pkunzip.exe  C:\\OUT";
}

void tst_frmUnZip::commandLine()
{
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QFETCH(QString, typed);
    QFETCH(QString, destination);
    QFETCH(QString, command);

    m_drives = std::make_unique<TempDrives>();
    m_drives->makeFolder(destination);
    startIn(folder, file);
    if (!typed.isEmpty())
        main().txtFileName->setText(typed);
    openDialog();
    frmUnZip &dialog = form<frmUnZip>();
    if (destination.startsWith(QLatin1Char('D')))
        dialog.ui().drvDrive2->setCurrentIndex(1);
    dialog.ui().dirUnZipTo->setPath(destination);
    testsupport::click(&dialog, "btnUnZipNow");

    QCOMPARE(m_services->launches.size(), 1);
    QCOMPARE(m_services->launches.first().commandLine, command);
    QCOMPARE(m_services->launches.first().program, m_bin.path() + QStringLiteral("/pkunzip.exe"));
    QVERIFY(!dialog.isVisible());
    QVERIFY(form<frmKestrola>().isEnabled());
}

void tst_frmUnZip::missingExpansionProgram()
{
    qputenv("PATH", "/usr/bin:/bin");
    startIn(QStringLiteral("C:\\"), QStringLiteral("a.zip"));
    m_drives->makeFolder(QStringLiteral("C:\\Out"));
    openDialog();
    frmUnZip &dialog = form<frmUnZip>();
    dialog.ui().dirUnZipTo->setPath(QStringLiteral("C:\\Out"));
    m_services->answer(vbOK);
    testsupport::click(&dialog, "btnUnZipNow");

    QCOMPARE(m_services->beeps, 1);
    QCOMPARE(m_services->boxes.last().prompt, UnZipFailure);
    QCOMPARE(m_services->boxes.last().title, QStringLiteral("Error in UnZip procedure..."));
    QCOMPARE(m_services->boxes.last().code, 0);
    QVERIFY(m_services->launches.isEmpty());
    QVERIFY(dialog.isVisible() && dialog.isEnabled());
    QCOMPARE(dialog.ui().dirUnZipTo->Path(), QStringLiteral("C:\\Out"));
    QVERIFY(!form<frmKestrola>().isEnabled());
}

void tst_frmUnZip::launchesARealProgram()
{
    m_services->allowRealLaunches();
    startIn(QStringLiteral("C:\\My Downloads"), QStringLiteral("Tools Archive.zip"));
    m_drives->makeFolder(QStringLiteral("C:\\Out"));
    const QString record = m_drives->nativeOf(QStringLiteral("C:\\record.txt"));
    qputenv("KESTROLA_TEST_RECORD", QFile::encodeName(record));
    const auto unset = qScopeGuard([] { qunsetenv("KESTROLA_TEST_RECORD"); });
    openDialog();
    form<frmUnZip>().ui().dirUnZipTo->setPath(QStringLiteral("C:\\Out"));
    testsupport::click(&form<frmUnZip>(), "btnUnZipNow");
    QVERIFY(!form<frmUnZip>().isVisible());

    QTRY_VERIFY(QFile::exists(record));
    QFile f(record);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), QStringLiteral("C:\\MYDOWN~1\\TOOLSA~1.ZIP\nC:\\OUT\n"));
}

QTEST_MAIN(tst_frmUnZip)
#include "tst_frmUnZip.moc"
