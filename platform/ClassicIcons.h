// The small drive and folder pictures of the lists, drawn in code.
#pragma once

#include <QIcon>

namespace platform {

/** A hard disk, or a removable drive with its slot. */
QIcon driveIcon(bool removable);
/** A folder, open or closed. */
QIcon folderIcon(bool open);

} // namespace platform
