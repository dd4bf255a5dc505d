#include "DirReader.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <time.h>
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

// Names as read, kept in one buffer: a folder of 100,000 files costs no allocation per name until the
// sorted list is built.
class NameArena
{
public:
    void add(const char *name, size_t len)
    {
        Entry e { uint32_t(m_bytes.size()), uint32_t(len), uint32_t(m_keys.size()), 0, true };
        m_bytes.append(name, len);
        for (size_t i = 0; i < len; ++i) {
            if (static_cast<unsigned char>(name[i]) >= 0x80) {
                e.ascii = false;
                break;
            }
        }
        if (e.ascii) {
            for (size_t i = 0; i < len; ++i) {
                const char c = name[i];
                m_keys.push_back(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
            }
        } else {
            m_keys += QString::fromUtf8(name, qsizetype(len)).toCaseFolded().toStdString();
        }
        e.keyLen = uint32_t(m_keys.size()) - e.keyOff;
        m_entries.push_back(e);
    }

    /** The names sorted case-insensitively (ties in byte order), as strings. */
    QStringList sorted()
    {
        std::vector<uint32_t> order(m_entries.size());
        for (uint32_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
            const int c = view(m_keys, m_entries[a].keyOff, m_entries[a].keyLen)
                              .compare(view(m_keys, m_entries[b].keyOff, m_entries[b].keyLen));
            if (c != 0)
                return c < 0;
            return view(m_bytes, m_entries[a].off, m_entries[a].len) < view(m_bytes, m_entries[b].off, m_entries[b].len);
        });
        QStringList out;
        out.reserve(qsizetype(order.size()));
        for (const uint32_t i : order) {
            const Entry &e = m_entries[i];
            const char *p = m_bytes.data() + e.off;
            out << (e.ascii ? QString::fromLatin1(p, qsizetype(e.len)) : QString::fromUtf8(p, qsizetype(e.len)));
        }
        return out;
    }

private:
    struct Entry
    {
        uint32_t off, len, keyOff, keyLen;
        bool ascii;
    };
    static std::string_view view(const std::string &s, uint32_t off, uint32_t len)
    {
        return std::string_view(s.data() + off, len);
    }

    std::string m_bytes, m_keys;
    std::vector<Entry> m_entries;
};

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

namespace {

// What a folder looked like when it was read. Creating, removing or renaming an entry changes the
// folder's modification time, so an unchanged stamp means an unchanged list of names.
struct FolderStamp
{
    dev_t dev = 0;
    ino_t ino = 0;
    timespec mtime {};
    timespec ctime {};
    bool operator==(const FolderStamp &o) const
    {
        return dev == o.dev && ino == o.ino && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec
            && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

// The last folder read in full. The browser reads one folder several times in a row when it opens it
// (the file list, then its re-read, then the folder list); the stamp lets the later reads reuse the
// first one, and only when nothing in the folder can have changed since.
struct LastRead
{
    QString native;
    FolderStamp stamp;
    QStringList files;   // every plain file, before any pattern
    QStringList folders;
    bool valid = false;
};

LastRead &lastRead()
{
    static LastRead r;
    return r;
}

bool stampOf(const QByteArray &path, FolderStamp *stamp, bool *settled)
{
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return false;
    stamp->dev = st.st_dev;
    stamp->ino = st.st_ino;
    stamp->mtime = st.st_mtim;
    stamp->ctime = st.st_ctim;
    // File systems keep these times at a coarse tick: a folder changed in the last moments could change
    // again within the same tick unseen, so only a folder quiet for a while is worth remembering.
    timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    *settled = now.tv_sec - st.st_mtim.tv_sec > 2 && now.tv_sec - st.st_ctim.tv_sec > 2;
    return true;
}

bool readAll(const QByteArray &path, QStringList *files, QStringList *folders)
{
    DIR *d = ::opendir(path.constData());
    if (!d)
        return false;
    const int dfd = ::dirfd(d);
    NameArena fileNames, folderNames;
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
        if (type == DT_REG)
            fileNames.add(e->d_name, std::strlen(e->d_name));
        else if (type == DT_DIR)
            folderNames.add(e->d_name, std::strlen(e->d_name));
    }
    ::closedir(d);
    *files = fileNames.sorted();
    *folders = folderNames.sorted();
    return true;
}

} // namespace

FolderListing readFolder(const QString &nativeFolder, const QString &pattern, int what)
{
    FolderListing listing;
    const QByteArray path = QFile::encodeName(nativeFolder);
    FolderStamp stamp;
    bool settled = false;
    if (!stampOf(path, &stamp, &settled))
        return listing;

    LastRead &last = lastRead();
    if (!(last.valid && settled && last.native == nativeFolder && last.stamp == stamp)) {
        last.valid = false;
        QStringList files, folders;
        if (!readAll(path, &files, &folders))
            return listing;
        last = LastRead { nativeFolder, stamp, std::move(files), std::move(folders), settled };
    }
    listing.ok = true;
    if (what & int(ListWhat::Folders))
        listing.folders = last.folders;
    if (what & int(ListWhat::Files)) {
        const bool everyName = pattern.isEmpty() || pattern == QLatin1String("*.*") || pattern == QLatin1String("*");
        if (everyName) {
            listing.files = last.files;
        } else {
            for (const QString &name : std::as_const(last.files)) {
                if (matchesPattern(name, pattern))
                    listing.files << name;
            }
        }
    }
    return listing;
}

} // namespace platform
