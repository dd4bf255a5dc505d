#include "BrowserRules.h"

namespace browser {

QString selectedFilePath(const QString &fileListFolder, const QString &highlightedName, const QString &nameBox)
{
    QString folder = fileListFolder;
    if (!folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('\\');
    // names differing only in case are different files here, so the comparison is exact
    if (nameBox == highlightedName)
        return folder + highlightedName;
    return nameBox;
}

QString patternForFilter(int index)
{
    switch (index) {
    case 0:
        return QStringLiteral("*.*");
    case 1:
        return QStringLiteral("*.zip");
    default:
        return QString();
    }
}

} // namespace browser
