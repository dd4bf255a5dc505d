// Placeholder window until its layout is built.
#pragma once

#include "platform/Form.h"

#include <QWidget>

class frmAbout : public platform::Form<QWidget>
{
    Q_OBJECT
public:
    frmAbout();
};
