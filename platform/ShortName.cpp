#include "ShortName.h"

#include "DriveTable.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cstring>

#include <dirent.h>
#include <sys/stat.h>

namespace platform {

namespace {

// Characters a DOS short name may hold besides ASCII letters and digits.
constexpr char kShortSpecials[] = "!#$%&'()-@^_`{}~";

bool isShortChar(char32_t c)
{
    if (c >= 128 || c == 0)
        return false;
    const char a = char(c);
    if ((a >= 'A' && a <= 'Z') || (a >= 'a' && a <= 'z') || (a >= '0' && a <= '9'))
        return true;
    return std::strchr(kShortSpecials, a) != nullptr;
}

char32_t asciiUpper(char32_t c)
{
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

/**
 * A name of the 8.3 shape: one to eight characters, at most one dot followed by one to three characters,
 * nothing but letters, digits and the DOS specials. Its short form is the name in upper case, which is
 * the name itself when it has no lower-case letters.
 */
bool isValid83(const QString &name)
{
    if (name.isEmpty())
        return false;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot != name.lastIndexOf(QLatin1Char('.')))
        return false;
    const qsizetype baseLen = dot < 0 ? name.size() : dot;
    const qsizetype extLen = dot < 0 ? 0 : name.size() - dot - 1;
    if (baseLen < 1 || baseLen > 8 || extLen > 3 || (dot >= 0 && extLen < 1))
        return false;
    for (const QChar ch : name) {
        if (ch != QLatin1Char('.') && !isShortChar(ch.unicode()))
            return false;
    }
    return true;
}

/**
 * The part of a name as it appears in an alias: spaces and dots dropped, letters in upper case, an
 * accented letter by its plain letter, anything else DOS cannot hold as "_".
 */
QString aliasPart(const QString &part)
{
    QString out;
    const QList<uint> codePoints = part.toUcs4();
    for (const uint cp : codePoints) {
        const char32_t c = cp;
        if (c == U' ' || c == U'.')
            continue;
        if (c < 128) {
            out += isShortChar(c) ? QChar(char16_t(asciiUpper(c))) : QLatin1Char('_');
            continue;
        }
        // "é" decomposes to "e" plus a combining accent; keep the plain letters and digits it is made of
        const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
        QString plain;
        for (const QChar d : decomposed) {
            if (d.unicode() < 128 && d.isLetterOrNumber())
                plain += QChar(char16_t(asciiUpper(d.unicode())));
        }
        out += plain.isEmpty() ? QStringLiteral("_") : plain;
    }
    return out;
}

// A name that is its own short form.
bool isOwnShortForm(const QString &name)
{
    return isValid83(name) && name == name.toUpper();
}

struct Basis
{
    QString stem; // at most six characters
    QString ext;  // at most three characters, may be empty
};

Basis basisOf(const QString &name)
{
    qsizetype start = 0;
    while (start < name.size() && name.at(start) == QLatin1Char('.'))
        ++start; // ".profile" has no extension: its alias is made of "PROFIL"
    const QString rest = name.mid(start);
    const qsizetype lastDot = rest.lastIndexOf(QLatin1Char('.'));
    Basis b;
    b.stem = aliasPart(lastDot < 0 ? rest : rest.left(lastDot)).left(6);
    b.ext = lastDot < 0 ? QString() : aliasPart(rest.mid(lastDot + 1)).left(3);
    if (b.stem.isEmpty())
        b.stem = QStringLiteral("_");
    return b;
}

// "STEM~N.EXT"; from ~10 on the stem gives up letters so that the base stays within eight characters.
QString makeAlias(const Basis &b, int n)
{
    const QString number = QLatin1Char('~') + QString::number(n);
    const qsizetype keep = 8 - number.size();
    if (keep < 0)
        return QString();
    QString alias = b.stem.left(std::min<qsizetype>(6, keep)) + number;
    if (!b.ext.isEmpty())
        alias += QLatin1Char('.') + b.ext;
    return alias;
}

bool entryExists(const QString &nativePath)
{
    struct stat st;
    return ::lstat(QFile::encodeName(nativePath).constData(), &st) == 0;
}

bool listFolder(const QString &nativeFolder, QStringList *names)
{
    DIR *d = ::opendir(QFile::encodeName(nativeFolder).constData());
    if (!d)
        return false;
    while (const dirent *e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        names->append(QFile::decodeName(e->d_name));
    }
    ::closedir(d);
    return true;
}

QString joinNative(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// The short names of one folder: every name that needs an alias, and each alias back to its name.
struct FolderAliases
{
    bool listed = false;
    QStringList names;
    QHash<QString, QString> aliasOf;  // long name -> alias
    QHash<QString, QString> nameOf;   // alias -> long name
};

/**
 * Gives the names of one folder their aliases. The names that need one are numbered in sorted order
 * (UTF-16 order, the same on every machine and locale), each taking the lowest free number of its stem
 * and extension; an alias never equals, in any letter case, a name of the folder that is already a
 * valid short name, nor another alias, so each one leads back to exactly one name.
 */
void assignAliases(FolderAliases *f)
{
    QStringList names = f->names;
    std::sort(names.begin(), names.end());

    QSet<QString> taken;
    for (const QString &name : std::as_const(names)) {
        if (isOwnShortForm(name))
            taken.insert(name);
    }
    // an 8.3 name with lower-case letters is known by its upper-case spelling, unless another name of
    // the folder already is; then it takes a numbered alias like any long name
    QStringList needNumbers;
    for (const QString &name : std::as_const(names)) {
        if (isOwnShortForm(name))
            continue;
        const QString upper = name.toUpper();
        if (isValid83(name) && !taken.contains(upper)) {
            taken.insert(upper);
            f->aliasOf.insert(name, upper);
            f->nameOf.insert(upper, name);
        } else {
            needNumbers << name;
        }
    }
    QHash<QString, int> nextNumber; // per stem and extension
    for (const QString &name : std::as_const(needNumbers)) {
        const Basis b = basisOf(name);
        const QString key = b.stem + QLatin1Char('.') + b.ext;
        int n = nextNumber.value(key, 1);
        QString alias;
        for (;; ++n) {
            alias = makeAlias(b, n);
            if (alias.isEmpty() || !taken.contains(alias))
                break;
        }
        if (alias.isEmpty())
            continue; // ten million names on one stem: this one has no short form
        nextNumber.insert(key, n + 1);
        taken.insert(alias);
        f->aliasOf.insert(name, alias);
        f->nameOf.insert(alias, name);
    }
}

// Folder listings and their aliases, gathered once per call.
class FolderCache
{
public:
    const FolderAliases &get(const QString &nativeFolder)
    {
        auto it = m_folders.find(nativeFolder);
        if (it == m_folders.end()) {
            FolderAliases f;
            f.listed = listFolder(nativeFolder, &f.names);
            if (f.listed)
                assignAliases(&f);
            it = m_folders.insert(nativeFolder, f);
        }
        return *it;
    }

private:
    QHash<QString, FolderAliases> m_folders;
};

// The real name in nativeFolder that a DOS component stands for: the exact name, else an alias, else
// the one name equal to it ignoring case. Empty when nothing (or more than one name) matches.
QString matchComponent(const QString &nativeFolder, const QString &component, FolderCache &cache)
{
    if (entryExists(joinNative(nativeFolder, component)))
        return component;
    const FolderAliases &f = cache.get(nativeFolder);
    if (!f.listed)
        return QString();
    const QString byAlias = f.nameOf.value(component.toUpper());
    if (!byAlias.isEmpty())
        return byAlias;
    QString found;
    for (const QString &name : f.names) {
        if (name.compare(component, Qt::CaseInsensitive) == 0) {
            if (!found.isEmpty())
                return QString(); // "readme" and "ReadMe" both there: do not guess
            found = name;
        }
    }
    return found;
}

QString parentOf(const QString &nativePath)
{
    const qsizetype slash = nativePath.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : nativePath.left(slash);
}

// Walks the components below a native folder that is known to exist.
QString walk(QString native, const QStringList &components, FolderCache &cache)
{
    for (const QString &component : components) {
        if (component.isEmpty() || component == QLatin1String("."))
            continue;
        if (component == QLatin1String("..")) {
            native = parentOf(native);
            continue;
        }
        const QString real = matchComponent(native, component, cache);
        if (real.isEmpty())
            return QString();
        native = joinNative(native, real);
    }
    return native;
}

QString resolve(const QString &path, FolderCache &cache)
{
    if (path.isEmpty())
        return QString();
    const DriveTable &table = DriveTable::instance();

    if (path.startsWith(QLatin1Char('/'))) {
        // a native path names its file exactly, as everywhere else on Linux
        const QString native = QDir::cleanPath(path);
        return entryExists(native) ? native : QString();
    }

    const QChar letter = path.size() >= 2 && path.at(1) == QLatin1Char(':') ? DriveTable::driveLetterOf(path)
                                                                            : QChar();
    if (letter.isNull()) {
        QString rel = path;
        rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString base = table.toNative(QStringLiteral("."));
        if (base.isEmpty() || !entryExists(base))
            return QString();
        return walk(base, rel.split(QLatin1Char('/'), Qt::SkipEmptyParts), cache);
    }

    const Drive *drive = table.drive(letter);
    if (!drive || drive->notReady || !entryExists(drive->root))
        return QString();
    const QString rest = path.mid(2);
    QString dos;
    if (rest.startsWith(QLatin1Char('\\')) || rest.startsWith(QLatin1Char('/')))
        dos = QString(letter) + QLatin1Char(':') + rest;
    else // "X:name" is relative to that drive's current folder
        dos = table.currentFolder(letter) + QLatin1Char('\\') + rest;
    dos = DriveTable::cleanDos(dos);
    return walk(drive->root, dos.mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts), cache);
}

QString shortForm(const QString &longPath)
{
    FolderCache cache;
    const QString native = resolve(longPath, cache);
    if (native.isEmpty())
        return QString();
    const DriveTable &table = DriveTable::instance();
    const QString dos = table.toDos(native);
    const Drive *drive = dos.isEmpty() ? nullptr : table.drive(DriveTable::driveLetterOf(dos));
    if (!drive)
        return QString(); // outside every drive: no DOS form at all

    const QString root = drive->root;
    const QString rel = native == root ? QString()
                                       : native.mid(root == QLatin1String("/") ? 1 : root.size() + 1);
    QStringList shortParts;
    QString folder = root;
    for (const QString &name : rel.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        QString alias = name;
        if (!isOwnShortForm(name)) {
            alias = cache.get(folder).aliasOf.value(name);
            if (alias.isEmpty())
                return QString();
        }
        shortParts << alias;
        folder = joinNative(folder, name);
    }
    return QString(drive->letter) + QLatin1String(":\\") + shortParts.join(QLatin1Char('\\'));
}

} // namespace

int GetShortPathNameA(const char *lpszLongPath, char *lpszShortPath, int cchBuffer)
{
    if (!lpszLongPath)
        return 0;
    const QByteArray shortPath = shortForm(QString::fromUtf8(lpszLongPath)).toUtf8();
    if (shortPath.isEmpty())
        return 0;
    const int length = int(shortPath.size());
    if (!lpszShortPath || cchBuffer <= length)
        return length + 1; // too small: the size needed, terminator included; the buffer is left alone
    std::memcpy(lpszShortPath, shortPath.constData(), size_t(length) + 1);
    return length;
}

QString shortPathName(const QString &longPath)
{
    return shortForm(longPath);
}

QString shortAlias(const QString &nativeFolder, const QString &name)
{
    if (isOwnShortForm(name))
        return name;
    FolderAliases f;
    listFolder(nativeFolder, &f.names);
    if (!f.names.contains(name))
        f.names.append(name);
    assignAliases(&f);
    return f.aliasOf.value(name);
}

QString resolveDosPath(const QString &path)
{
    FolderCache cache;
    return resolve(path, cache);
}

QString resolveDosPathForCreate(const QString &path)
{
    FolderCache cache;
    const QString existing = resolve(path, cache);
    if (!existing.isEmpty())
        return existing;

    QString spelled = path;
    const bool native = spelled.startsWith(QLatin1Char('/'));
    if (!native)
        spelled.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const QChar sep = native ? QLatin1Char('/') : QLatin1Char('\\');
    while (spelled.size() > 1 && spelled.endsWith(sep))
        spelled.chop(1);
    const qsizetype cut = spelled.lastIndexOf(sep);
    const QString last = spelled.mid(cut + 1);
    if (last.isEmpty() || last == QLatin1String(".") || last == QLatin1String("..")
        || (!native && last.size() >= 2 && last.at(1) == QLatin1Char(':')))
        return QString();

    QString parent;
    if (cut < 0)
        parent = QStringLiteral(".");          // a bare name lies in the current folder
    else if (cut == 0)
        parent = spelled.left(1);              // "/name" or "\name"
    else if (!native && cut == 2 && spelled.at(1) == QLatin1Char(':'))
        parent = spelled.left(3);              // "C:\name": the drive root
    else
        parent = spelled.left(cut);
    const QString folder = resolve(parent, cache);
    if (folder.isEmpty())
        return QString();
    return joinNative(folder, last);
}

} // namespace platform
