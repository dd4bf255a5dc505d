#include "DirReader.h"

#include <QFile>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

namespace {

bool wildcardMatch(const QChar *n, const QChar *nEnd, const QChar *p, const QChar *pEnd)
{
    // iterative matcher with single-star backtracking
    const QChar *starP = nullptr;
    const QChar *starN = nullptr;
    while (n < nEnd) {
        if (p < pEnd && (*p == QLatin1Char('?') || p->toCaseFolded() == n->toCaseFolded())) {
            ++n;
            ++p;
        } else if (p < pEnd && *p == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (starP) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pEnd && *p == QLatin1Char('*'))
        ++p;
    return p == pEnd;
}

struct SortKey
{
    QString folded;
    qsizetype index;
};

QStringList sortedCaseInsensitive(QStringList names)
{
    std::vector<SortKey> keys;
    keys.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        keys.push_back({ names.at(i).toCaseFolded(), i });
    std::sort(keys.begin(), keys.end(), [&](const SortKey &a, const SortKey &b) {
        const int c = a.folded.compare(b.folded);
        return c != 0 ? c < 0 : names.at(a.index) < names.at(b.index);
    });
    QStringList out;
    out.reserve(names.size());
    for (const SortKey &k : keys)
        out << names.at(k.index);
    return out;
}

} // namespace

bool matchesPattern(const QString &name, const QString &pattern)
{
    const QStringList parts = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString p : parts) {
        p = p.trimmed();
        if (p == QLatin1String("*.*") || p == QLatin1String("*"))
            return true;
        if (wildcardMatch(name.constData(), name.constData() + name.size(), p.constData(), p.constData() + p.size()))
            return true;
    }
    return false;
}

bool canOpenFolder(const QString &nativeFolder)
{
    DIR *d = ::opendir(QFile::encodeName(nativeFolder).constData());
    if (!d)
        return false;
    ::closedir(d);
    return true;
}

FolderListing readFolder(const QString &nativeFolder, const QString &pattern, int what)
{
    FolderListing listing;
    const QByteArray path = QFile::encodeName(nativeFolder);
    DIR *d = ::opendir(path.constData());
    if (!d)
        return listing;
    listing.ok = true;
    const int dfd = ::dirfd(d);
    const bool wantFiles = what & int(ListWhat::Files);
    const bool wantFolders = what & int(ListWhat::Folders);
    const bool everyName = pattern.isEmpty() || pattern == QLatin1String("*.*") || pattern == QLatin1String("*");

    QStringList files, folders;
    while (dirent *e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue; // hidden, and the "." and ".." entries
        unsigned char type = e->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(dfd, e->d_name, &st, 0) != 0)
                continue; // a dangling link
            type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
        }
        if (type == DT_REG && wantFiles) {
            const QString name = QFile::decodeName(e->d_name);
            if (everyName || matchesPattern(name, pattern))
                files << name;
        } else if (type == DT_DIR && wantFolders) {
            folders << QFile::decodeName(e->d_name);
        }
    }
    ::closedir(d);
    listing.files = sortedCaseInsensitive(std::move(files));
    listing.folders = sortedCaseInsensitive(std::move(folders));
    return listing;
}

} // namespace platform
