// The expansion dialog: choosing the destination folder and starting the expansion program.
#pragma once

#include "platform/Form.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmUnZip;
}

class frmUnZip : public platform::Form<QWidget>
{
    Q_OBJECT
public:
    frmUnZip();
    ~frmUnZip() override;

    Ui::frmUnZip &ui() { return *m_ui; }

    void Form_Load() override;
    void Form_Unload(qint16 &Cancel) override;

private:
    void wireEvents();

    void drvDrive2_Change();
    void cmdHelp_Click();
    void btnCancelUnZip_Click();
    void btnUnZipNow_Click();

    /** Hands control back to the main window and resets its browser to "C:\". */
    void closingSteps();

    std::unique_ptr<Ui::frmUnZip> m_ui;
};
