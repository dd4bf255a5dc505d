// Placeholder window until its layout is built.
#pragma once

#include "platform/Form.h"

#include <QWidget>

class frmHelpForm : public platform::Form<QWidget>
{
    Q_OBJECT
public:
    frmHelpForm();
};
