// The help menu window: one button per help topic, and the way back to the main window.
#pragma once

#include "platform/Form.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmHelp;
}

class frmHelp : public platform::Form<QWidget> {
    Q_OBJECT
public:
    frmHelp();
    ~frmHelp() override;

    Ui::frmHelp &ui() { return *m_ui; }

    void Form_Load() override;
    void Form_Unload(qint16 &Cancel) override;

private:
    void wireEvents();

    void cmdAboutAuthor_Click();
    void cmdQuestionsComments_Click();
    void cmdHelpWithZip_Click();
    void cmdHowToUse_Click();
    void cmdAboutProgram_Click();
    void Command9_Click();

    std::unique_ptr<Ui::frmHelp> m_ui;
};
