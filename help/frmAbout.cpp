#include "frmAbout.h"

frmAbout::frmAbout()
{
    setWindowTitle(QStringLiteral("Kestrola"));
}
