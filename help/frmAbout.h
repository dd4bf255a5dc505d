// The About box: the program's name and its credits.
#pragma once

#include "platform/Form.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmAbout;
}

class frmAbout : public platform::Form<QWidget> {
    Q_OBJECT
public:
    frmAbout();
    ~frmAbout() override;

    Ui::frmAbout &ui() { return *m_ui; }

    /** Where the client area's top-left corner opens, in twips from the screen's top-left corner. */
    static constexpr int StoredLeft = 1890;
    static constexpr int StoredTop = 2715;

private:
    std::unique_ptr<Ui::frmAbout> m_ui;
};
