#include "frmHelp.h"

frmHelp::frmHelp()
{
    setWindowTitle(QStringLiteral("Kestrola Help Menu"));
}
