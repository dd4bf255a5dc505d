// The help topics window: five topic pages laid one over another, one of them shown at a time.
#pragma once

#include "platform/Form.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmHelpForm;
}

class frmHelpForm : public platform::Form<QWidget> {
    Q_OBJECT
public:
    frmHelpForm();
    ~frmHelpForm() override;

    Ui::frmHelpForm &ui() { return *m_ui; }

    void Form_Load() override;

private:
    std::unique_ptr<Ui::frmHelpForm> m_ui;
};
