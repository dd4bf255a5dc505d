// Reading a folder's entries straight from the system, fast enough for folders of 100,000 files.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

/** What a folder holds, split the way the lists show it. Names are sorted case-insensitively. */
struct FolderListing
{
    bool ok = false;      // false: the folder could not be opened
    QStringList files;    // regular files and links to them, not hidden, matching the pattern
    QStringList folders;  // folders and links to them, not hidden
};

enum class ListWhat { Files = 1, Folders = 2 };

/**
 * Reads nativeFolder. Hidden names (starting with ".") and anything that is not a regular file or a
 * folder (sockets, devices, pipes) are left out. pattern is a ";"-separated list of wildcards
 * matched case-insensitively ("*.*" matches every name, with or without a dot).
 */
FolderListing readFolder(const QString &nativeFolder, const QString &pattern, int what);

/** Case-insensitive wildcard match with "*" and "?"; "*.*" matches every name. */
bool matchesPattern(const QString &name, const QString &pattern);

/** True when nativeFolder exists and can be opened for listing. */
bool canOpenFolder(const QString &nativeFolder);

} // namespace platform
