#include "ShortName.h"

namespace platform {
int GetShortPathNameA(const char *, char *, int) { return 0; }
QString shortPathName(const QString &) { return QString(); }
QString shortAlias(const QString &, const QString &name) { return name; }
QString resolveDosPath(const QString &) { return QString(); }
QString resolveDosPathForCreate(const QString &) { return QString(); }
} // namespace platform
