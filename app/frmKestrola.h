// The main window: the file browser and its commands.
#pragma once

#include "platform/Form.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class frmKestrola;
}

class frmKestrola : public platform::Form<QMainWindow>
{
    Q_OBJECT
public:
    frmKestrola();
    ~frmKestrola() override;

    Ui::frmKestrola &ui() { return *m_ui; }

    void Form_Load() override;
    void Form_Unload(qint16 &Cancel) override;

private:
    void wireEvents();

    // exit, About and Help
    void cmdExit_Click();
    void mnuExit_Click();
    void mnuAbout_Click();
    void mnuHelp_Click();

    // the browser
    void drvDrive_Change();
    void dirDirectory_Change();
    void dirDirectory_Click();
    void dirDirectory_MouseUp();
    void filFiles_Click();
    void filFiles_PathChange();
    void cboFileType_Click();

    // the commands
    void cmdFileSize_Click();
    void mnuGetFileSize_Click();
    void cmdDelete_Click();
    void mnuDelete_Click();
    void btnUnZip_Click();
    void mnuUnZip_Click();

    void fileSize();
    void deleteFile();
    void unZipFile();

    void followFolderList();

    std::unique_ptr<Ui::frmKestrola> m_ui;
};
