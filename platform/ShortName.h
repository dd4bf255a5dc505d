// Short (8.3) names: the short-path service, and resolving short or long DOS paths back to native ones.
#pragma once

#include <QString>

namespace platform {

/**
 * Stands in for the kernel's short-path service. Writes the short form of the existing path
 * lpszLongPath (UTF-8, DOS or native spelling) into lpszShortPath as a NUL-terminated DOS path and
 * returns its length without the NUL. Returns 0 when the path does not exist, and the size needed
 * (NUL included) when cchBuffer is too small, leaving the buffer untouched.
 */
int GetShortPathNameA(const char *lpszLongPath, char *lpszShortPath, int cchBuffer);

/** The short DOS form of an existing path, or an empty string when it does not exist. */
QString shortPathName(const QString &longPath);

/**
 * The short alias of one name in a native folder: the name itself when it already is an upper-case 8.3
 * name, the name in upper case when it has the 8.3 shape and no other name there is spelled so, else
 * "FIRST~N.EXT" numbered by the sorted order of the colliding names in
 * that folder, never equal to another name's short form there. A name not in the folder is numbered
 * as if it were.
 */
QString shortAlias(const QString &nativeFolder, const QString &name);

/**
 * The native path of an existing file or folder named by a DOS path in short or long form (each
 * component matched exactly first, then by alias, then ignoring case) or by a native path.
 * Returns an empty string when nothing matches.
 */
QString resolveDosPath(const QString &path);

/**
 * Like resolveDosPath, but the last component need not exist: when it does (by any of the three
 * matches) it resolves as usual, else its folder is resolved and the last name kept as given. Empty
 * when the folder itself cannot be found.
 */
QString resolveDosPathForCreate(const QString &path);

} // namespace platform
