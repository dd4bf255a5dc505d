#include "ExpansionCommand.h"

namespace expansion {

QString commandLine(const QString &shortArchive, const QString &shortDestination)
{
    return QStringLiteral("pkunzip.exe ") + shortArchive + QLatin1Char(' ') + shortDestination;
}

} // namespace expansion
