// Placeholder window until its layout is built.
#pragma once

#include "platform/Form.h"

#include <QWidget>

class frmHelp : public platform::Form<QWidget>
{
    Q_OBJECT
public:
    frmHelp();
};
