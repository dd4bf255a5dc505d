// The command line that starts the expansion program.
#pragma once

#include <QString>

namespace expansion {

/** "pkunzip.exe ARCHIVE DEST": the two short paths, one blank each, nothing quoted or added. */
QString commandLine(const QString &shortArchive, const QString &shortDestination);

} // namespace expansion
