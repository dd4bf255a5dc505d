#include "frmKestrola.h"

#include "BrowserRules.h"
#include "fileobj/CFile95.h"
#include "help/frmAbout.h"
#include "help/frmHelp.h"
#include "Pictures.h"
#include "platform/ListControls.h"
#include "platform/Look.h"
#include "platform/Services.h"
#include "ui_frmKestrola.h"
#include "unzip/frmUnZip.h"

#include <QLayout>

using namespace platform;

namespace {

const QString DriveErrorPrompt = QStringLiteral(
    "Please check to see if there is a disk in the selected drive, or if the drive is working.");
const QString DriveErrorTitle = QStringLiteral("Drive Error");

// A folder that vanished or cannot be read after it was listed.
void reportUnopenableFolder(const QString &path)
{
    MsgBox(QStringLiteral("The folder %1 cannot be opened.  It may have been moved or deleted, or you may "
                          "not be allowed to read it.  Please choose another folder.")
               .arg(path),
           vbExclamation);
}

} // namespace

frmKestrola::frmKestrola() : m_ui(std::make_unique<Ui::frmKestrola>())
{
    m_ui->setupUi(this);
    setWindowIcon(pictures::applicationIcon());
    m_ui->Image1->setPixmap(pictures::banner());
    platform::setWindowFrame(this, true);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate(); // the outer size is final before the load handler centres the window

    platform::setPointSize(m_ui->lblTitle, 13.5);
    QFont bold = m_ui->lblDrive->font();
    bold.setBold(true);
    m_ui->lblDrive->setFont(bold);
    m_ui->lblFolder->setFont(bold);
    QPalette black = m_ui->lblFolder->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    m_ui->lblFolder->setPalette(black);
    m_ui->lblTitle->setAttribute(Qt::WA_TranslucentBackground);

    m_ui->dirDirectory->setFocus();
    wireEvents();
}

frmKestrola::~frmKestrola() = default;

void frmKestrola::wireEvents()
{
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &frmKestrola::cmdExit_Click);
    connect(m_ui->mnuExit, &QAction::triggered, this, &frmKestrola::mnuExit_Click);
    connect(m_ui->mnuAbout, &QAction::triggered, this, &frmKestrola::mnuAbout_Click);
    connect(m_ui->mnuHelp, &QAction::triggered, this, &frmKestrola::mnuHelp_Click);

    connect(m_ui->drvDrive, &DriveListBox::Change, this, &frmKestrola::drvDrive_Change);
    connect(m_ui->dirDirectory, &DirListBox::Change, this, &frmKestrola::dirDirectory_Change);
    connect(m_ui->dirDirectory, &DirListBox::Click, this, &frmKestrola::dirDirectory_Click);
    connect(m_ui->dirDirectory, &DirListBox::MouseUp, this, &frmKestrola::dirDirectory_MouseUp);
    connect(m_ui->filFiles, &FileListBox::Click, this, &frmKestrola::filFiles_Click);
    connect(m_ui->filFiles, &FileListBox::PathChange, this, &frmKestrola::filFiles_PathChange);
    connect(m_ui->cboFileType, &QComboBox::currentIndexChanged, this, &frmKestrola::cboFileType_Click);

    connect(m_ui->cmdFileSize, &QPushButton::clicked, this, &frmKestrola::cmdFileSize_Click);
    connect(m_ui->mnuGetFileSize, &QAction::triggered, this, &frmKestrola::mnuGetFileSize_Click);
    connect(m_ui->cmdDelete, &QPushButton::clicked, this, &frmKestrola::cmdDelete_Click);
    connect(m_ui->mnuDelete, &QAction::triggered, this, &frmKestrola::mnuDelete_Click);
    connect(m_ui->btnUnZip, &QPushButton::clicked, this, &frmKestrola::btnUnZip_Click);
    connect(m_ui->mnuUnZip, &QAction::triggered, this, &frmKestrola::mnuUnZip_Click);
}

void frmKestrola::Form_Load()
{
    centreOnScreen();

    // Appending to an empty combo box would select the first entry by itself; the entry is selected
    // explicitly below, which is what raises the filter's click.
    {
        const QSignalBlocker quiet(m_ui->cboFileType);
        m_ui->cboFileType->addItem(QStringLiteral("All files (*.*)"));
        m_ui->cboFileType->addItem(QStringLiteral("Zip files (*.zip)"));
        m_ui->cboFileType->setCurrentIndex(-1);
        m_ui->cboFileType->setEditText(QStringLiteral("Combo1"));
    }
    m_ui->cboFileType->setCurrentIndex(0);

    m_ui->lblDirName->setText(m_ui->dirDirectory->Path());
    try {
        m_ui->dirDirectory->setPath(QStringLiteral("C:\\"));
    } catch (const Failure &) {
        // no readable drive C: stay in the folder the list opened in, and say so
        MsgBox(QStringLiteral("Drive C: cannot be read, so Kestrola opens in %1 instead.")
                   .arg(m_ui->dirDirectory->Path()),
               vbExclamation);
        followFolderList();
    }

    form<frmAbout>().Hide();
}

void frmKestrola::Form_Unload(qint16 &Cancel)
{
    Q_UNUSED(Cancel)
    endProgram();
}

void frmKestrola::cmdExit_Click()
{
    endProgram();
}

void frmKestrola::mnuExit_Click()
{
    endProgram();
}

void frmKestrola::mnuAbout_Click()
{
    form<frmAbout>().Show();
}

void frmKestrola::mnuHelp_Click()
{
    form<frmHelp>().Show();
    setEnabled(false);
}

void frmKestrola::drvDrive_Change()
{
    try {
        m_ui->dirDirectory->setPath(m_ui->drvDrive->Drive());
    } catch (const Failure &) {
        MsgBox(DriveErrorPrompt, vbExclamation, DriveErrorTitle);
        try {
            // back to the drive the folder list is still on; this runs the drive change again
            m_ui->drvDrive->setDrive(m_ui->dirDirectory->Path());
        } catch (const Failure &) {
        }
    }
}

void frmKestrola::dirDirectory_Change()
{
    followFolderList();
}

void frmKestrola::followFolderList()
{
    try {
        m_ui->filFiles->setPath(m_ui->dirDirectory->Path());
    } catch (const Failure &) {
        reportUnopenableFolder(m_ui->dirDirectory->Path());
    }
    m_ui->lblDirName->setText(m_ui->dirDirectory->Path());
}

void frmKestrola::dirDirectory_Click()
{
    DirListBox *dir = m_ui->dirDirectory;
    try {
        m_ui->filFiles->setPath(dir->Path());
    } catch (const Failure &) {
    }
    const QString entry = dir->List(dir->ListIndex());
    if (entry.isEmpty() || entry == dir->Path())
        return;
    try {
        dir->setPath(entry);
    } catch (const Failure &) {
        // the folder went away (or became unreadable) after it was listed: show the list as it now is
        reportUnopenableFolder(entry);
        dir->Refresh();
    }
}

void frmKestrola::dirDirectory_MouseUp()
{
    try {
        m_ui->filFiles->setPath(m_ui->dirDirectory->Path());
    } catch (const Failure &) {
    }
}

void frmKestrola::filFiles_Click()
{
    m_ui->txtFileName->setText(m_ui->filFiles->FileName());
}

void frmKestrola::filFiles_PathChange()
{
    m_ui->filFiles->Refresh();
    m_ui->dirDirectory->Refresh();
    m_ui->drvDrive->Refresh();
}

void frmKestrola::cboFileType_Click()
{
    const QString pattern = browser::patternForFilter(m_ui->cboFileType->currentIndex());
    if (!pattern.isEmpty())
        m_ui->filFiles->setPattern(pattern);
}

void frmKestrola::cmdFileSize_Click()
{
    fileSize();
}

void frmKestrola::mnuGetFileSize_Click()
{
    fileSize();
}

void frmKestrola::fileSize()
{
    if (m_ui->txtFileName->text().isEmpty()) {
        MsgBox(QStringLiteral("You must first select a file!"), vbOKOnly);
        return;
    }
    const QString path = browser::selectedFilePath(m_ui->filFiles->Path(), m_ui->filFiles->FileName(),
                                                   m_ui->txtFileName->text());
    try {
        const qint64 length = FileLen(path);
        MsgBox(QStringLiteral("Size of ") + path + QStringLiteral(":  ") + Str(length) + QStringLiteral(" bytes"),
               vbOKOnly);
    } catch (const Failure &) {
        MsgBox(QStringLiteral("Cannot find size of ") + path, vbOKOnly);
    }
}

void frmKestrola::cmdDelete_Click()
{
    deleteFile();
}

void frmKestrola::mnuDelete_Click()
{
    deleteFile();
}

void frmKestrola::deleteFile()
{
    if (m_ui->txtFileName->text().isEmpty()) {
        MsgBox(QStringLiteral("You must first select a file to be deleted!"), vbOKOnly);
        return;
    }
    const QString path = browser::selectedFilePath(m_ui->filFiles->Path(), m_ui->filFiles->FileName(),
                                                   m_ui->txtFileName->text());
    try {
        CFile95 file;
        file.Name = path;
        file.Delete();
        m_ui->dirDirectory->Refresh();
        m_ui->filFiles->Refresh();
        m_ui->drvDrive->Refresh();
    } catch (const Failure &) {
        Beep();
        MsgBox(QStringLiteral("Deletion was unsuccessful.  Selected file may be corrupt, or bad.  Please specify a "
                              "different file to delete."),
               vbOKOnly, QStringLiteral("Error in delete..."));
    }
}

void frmKestrola::btnUnZip_Click()
{
    unZipFile();
}

void frmKestrola::mnuUnZip_Click()
{
    unZipFile();
}

void frmKestrola::unZipFile()
{
    const QString path = browser::selectedFilePath(m_ui->filFiles->Path(), m_ui->filFiles->FileName(),
                                                   m_ui->txtFileName->text());
    if (m_ui->txtFileName->text().isEmpty()) {
        MsgBox(QStringLiteral("You must first select a file to UnZip!"), vbOKOnly);
        return;
    }
    const int answer = MsgBox(QStringLiteral("You have selected the file:   ") + path
                                  + QStringLiteral(" .  Are you sure that you want to UnZip this file?"),
                              vbOKCancel, QStringLiteral("Continue with Procedure?"));
    if (answer == vbCancel)
        return;
    frmUnZip &dialog = form<frmUnZip>();
    dialog.Show();
    dialog.setEnabled(true);
    setEnabled(false);
}
