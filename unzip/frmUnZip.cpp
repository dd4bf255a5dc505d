#include "frmUnZip.h"

#include "ExpansionCommand.h"
#include "Pictures.h"
#include "app/BrowserRules.h"
#include "app/frmKestrola.h"
#include "fileobj/CFile95.h"
#include "platform/ListControls.h"
#include "platform/Look.h"
#include "platform/Services.h"
#include "ui_frmKestrola.h"
#include "ui_frmUnZip.h"

using namespace platform;

frmUnZip::frmUnZip() : m_ui(std::make_unique<Ui::frmUnZip>())
{
    m_ui->setupUi(this);
    setWindowIcon(pictures::applicationIcon());
    m_ui->Image1->setPixmap(pictures::banner());
    platform::setWindowFrame(this, false);
    platform::setPointSize(m_ui->lblTitle, 13.5);
    m_ui->btnCancelUnZip->setFocus();
    // created disabled: whoever opens the dialog enables it
    setEnabled(false);
    wireEvents();
}

frmUnZip::~frmUnZip() = default;

void frmUnZip::wireEvents()
{
    connect(m_ui->drvDrive2, &DriveListBox::Change, this, &frmUnZip::drvDrive2_Change);
    connect(m_ui->cmdHelp, &QPushButton::clicked, this, &frmUnZip::cmdHelp_Click);
    connect(m_ui->btnCancelUnZip, &QPushButton::clicked, this, &frmUnZip::btnCancelUnZip_Click);
    connect(m_ui->btnUnZipNow, &QPushButton::clicked, this, &frmUnZip::btnUnZipNow_Click);
}

void frmUnZip::Form_Load()
{
    centreOnScreen();
    try {
        m_ui->dirUnZipTo->setPath(QStringLiteral("C:\\"));
    } catch (const Failure &) {
        // drive C cannot be read: the folder list stays in the folder it opened in
    }
}

void frmUnZip::Form_Unload(qint16 &Cancel)
{
    Q_UNUSED(Cancel)
    closingSteps();
}

void frmUnZip::drvDrive2_Change()
{
    try {
        m_ui->dirUnZipTo->setPath(m_ui->drvDrive2->Drive());
    } catch (const Failure &) {
        MsgBox(QStringLiteral("Please check to see if there is a disk in the selected drive, or if the drive is "
                              "working."),
               vbExclamation, QStringLiteral("Drive Error"));
        try {
            m_ui->drvDrive2->setDrive(m_ui->dirUnZipTo->Path());
        } catch (const Failure &) {
        }
    }
}

void frmUnZip::cmdHelp_Click()
{
    MsgBox(QStringLiteral("A zipped file has files that are compressed into one '.zip' file.  You are about to "
                          "UnZip the selected file: ")
           + form<frmKestrola>().ui().filFiles->FileName()
           + QStringLiteral(" .  You need to choose a directory in which to expand the Zipped files into.  Do "
                            "this by clickng on the directory of your choice in the box to the right."));
}

void frmUnZip::btnCancelUnZip_Click()
{
    closingSteps();
}

void frmUnZip::btnUnZipNow_Click()
{
    Ui::frmKestrola &main = form<frmKestrola>().ui();
    const QString archive = browser::selectedFilePath(main.filFiles->Path(), main.filFiles->FileName(),
                                                      main.txtFileName->text());
    try {
        CFile95 archiveFile;
        archiveFile.Name = archive;
        const QString shortArchive = archiveFile.ShortName();
        const QString destination = m_ui->dirUnZipTo->Path();
        CFile95 destinationFolder;
        destinationFolder.Name = destination;
        const QString shortDestination = destinationFolder.ShortName();
        Shell(expansion::commandLine(shortArchive, shortDestination), 1);
        closingSteps();
    } catch (const Failure &) {
        Beep();
        MsgBox(QStringLiteral("Cannot UnZip!!  Please make sure that you have a recent version of 'pkunzip' for "
                              "DOS--and that it is located in the DIRECTORY in which you INSTALLED Kestrola.  Also "
                              "make sure that the selected file is a *.zip file!"),
               vbOKOnly, QStringLiteral("Error in UnZip procedure..."));
    }
}

void frmUnZip::closingSteps()
{
    setEnabled(false);
    Hide();
    frmKestrola &mainWindow = form<frmKestrola>();
    mainWindow.setEnabled(true);
    Ui::frmKestrola &main = mainWindow.ui();
    // each assignment that changes a list runs the main window's own handlers, as a user's choice would
    try {
        main.drvDrive->setDrive(QStringLiteral("C:\\"));
        main.drvDrive->setDrive(main.dirDirectory->Path());
        main.drvDrive->Refresh();
        main.dirDirectory->Refresh();
        main.filFiles->Refresh();
        main.dirDirectory->setPath(QStringLiteral("C:\\"));
    } catch (const Failure &) {
        // drive C cannot be read: the main window stays where the drive recovery left it
    }
}
