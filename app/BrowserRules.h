// Rules of the browser that need no window: the selected-file path and the filter patterns.
#pragma once

#include <QString>

namespace browser {

/**
 * The one path the commands act on: the file list's folder joined with the highlighted name when the
 * name box still holds that name, else the name box's text alone, unchanged.
 */
QString selectedFilePath(const QString &fileListFolder, const QString &highlightedName, const QString &nameBox);

/** The file list pattern for a filter box entry; empty for no entry. */
QString patternForFilter(int index);

} // namespace browser
