#include "frmHelpForm.h"

frmHelpForm::frmHelpForm() { }
