#include "DriveTable.h"

#include "DirReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <memory>


namespace platform {

namespace {

std::unique_ptr<DriveTable> &slot()
{
    static std::unique_ptr<DriveTable> table;
    return table;
}

bool isRemovableMountPoint(const QString &path)
{
    return path.startsWith(QLatin1String("/media/")) || path.startsWith(QLatin1String("/run/media/"))
        || path == QLatin1String("/mnt") || path.startsWith(QLatin1String("/mnt/"));
}

QString stripSlash(QString p)
{
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

// Mount points of /etc/fstab under the removable-media folders: listed even while nothing is mounted there.
QStringList fstabMountPoints()
{
    QStringList points;
    QFile f(QStringLiteral("/etc/fstab"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return points;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QRegularExpression(QStringLiteral("\\s+")));
        if (fields.size() < 2)
            continue;
        QString point = fields.at(1);
        point.replace(QLatin1String("\\040"), QLatin1String(" "));
        point = stripSlash(point);
        if (isRemovableMountPoint(point))
            points << point;
    }
    return points;
}

} // namespace

DriveTable &DriveTable::instance()
{
    auto &t = slot();
    if (!t)
        t.reset(new DriveTable(systemTable()));
    return *t;
}

void DriveTable::setDrives(const QList<Drive> &drives, const QString &currentNativeFolder)
{
    auto t = std::unique_ptr<DriveTable>(new DriveTable);
    t->m_drives = drives;
    t->m_currentNative = stripSlash(QDir::cleanPath(currentNativeFolder));
    const QString dos = t->toDos(t->m_currentNative);
    t->m_currentDrive = driveLetterOf(dos);
    t->m_currentFolderDos = dos;
    slot() = std::move(t);
}

void DriveTable::resetToSystem()
{
    slot().reset();
}

void DriveTable::rescan()
{
    auto &t = slot();
    if (!t || !t->m_system)
        return;
    // the process's current drive and folder stay what they were at start-up
    t->m_drives = systemTable().m_drives;
}

DriveTable DriveTable::systemTable()
{
    DriveTable t;
    t.m_system = true;
    t.m_drives.append(Drive { QLatin1Char('C'), stripSlash(QDir::cleanPath(QDir::homePath())),
                              QStringLiteral("home"), true, false });

    // Removable and external volumes: mounted ones, plus fstab entries with nothing mounted (not ready).
    QStringList points;
    QHash<QString, QString> labels;
    for (const QStorageInfo &vol : QStorageInfo::mountedVolumes()) {
        const QString point = stripSlash(vol.rootPath());
        if (!isRemovableMountPoint(point))
            continue;
        points << point;
        labels.insert(point, vol.name());
    }
    const QStringList listed = fstabMountPoints();
    for (const QString &p : listed) {
        if (!points.contains(p))
            points << p;
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());

    char letter = 'D';
    for (const QString &p : std::as_const(points)) {
        if (letter > 'Y')
            break;
        Drive d;
        d.letter = QLatin1Char(letter++);
        d.root = p;
        d.label = labels.value(p);
        if (d.label.isEmpty())
            d.label = QFileInfo(p).fileName();
        d.notReady = !labels.contains(p);
        t.m_drives.append(d);
    }
    t.m_drives.append(Drive { QLatin1Char('Z'), QStringLiteral("/"), QString(), true, false });

    t.m_currentNative = stripSlash(QDir::cleanPath(QDir::currentPath()));
    t.m_currentFolderDos = t.toDos(t.m_currentNative);
    t.m_currentDrive = driveLetterOf(t.m_currentFolderDos);
    return t;
}

const Drive *DriveTable::drive(QChar letter) const
{
    letter = letter.toUpper();
    for (const Drive &d : m_drives) {
        if (d.letter == letter)
            return &d;
    }
    return nullptr;
}

bool DriveTable::isReady(QChar letter) const
{
    const Drive *d = drive(letter);
    if (!d || d->notReady)
        return false;
    return canOpenFolder(d->root);
}

QString DriveTable::currentFolder(QChar letter) const
{
    letter = letter.toUpper();
    if (letter == m_currentDrive && !m_currentFolderDos.isEmpty())
        return m_currentFolderDos;
    return QString(letter) + QLatin1String(":\\");
}

QChar DriveTable::driveLetterOf(const QString &text)
{
    if (text.isEmpty() || !text.at(0).isLetter() || text.at(0).unicode() > 127)
        return QChar();
    if (text.size() == 1 || text.at(1) == QLatin1Char(':'))
        return text.at(0).toUpper();
    return QChar();
}

QString DriveTable::cleanDos(const QString &dosPath)
{
    QString p = dosPath;
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const QChar letter = driveLetterOf(p);
    if (letter.isNull() || p.size() < 2)
        return p;
    const QStringList parts = p.mid(2).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    QStringList kept;
    for (const QString &part : parts) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept << part;
    }
    return QString(letter) + QLatin1String(":\\") + kept.join(QLatin1Char('\\'));
}

QString DriveTable::designation(const Drive &d)
{
    QString s = QString(d.letter.toLower()) + QLatin1Char(':');
    if (!d.label.isEmpty())
        s += QLatin1String(" [") + d.label + QLatin1Char(']');
    return s;
}

QString DriveTable::toNative(const QString &path) const
{
    if (path.isEmpty())
        return QString();
    if (path.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(path);

    const QChar letter = path.size() >= 2 && path.at(1) == QLatin1Char(':') ? driveLetterOf(path) : QChar();
    if (letter.isNull()) {
        // relative to the process's current folder, in DOS or native spelling
        QString rel = path;
        rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return QDir::cleanPath(m_currentNative + QLatin1Char('/') + rel);
    }
    const Drive *d = drive(letter);
    if (!d)
        return QString();

    QString rest = path.mid(2);
    QString dos;
    if (rest.startsWith(QLatin1Char('\\')) || rest.startsWith(QLatin1Char('/')))
        dos = QString(letter) + QLatin1Char(':') + rest;
    else // "X:name" is relative to that drive's current folder
        dos = currentFolder(letter) + QLatin1Char('\\') + rest;
    dos = cleanDos(dos);

    QString rel = dos.mid(3);
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (rel.isEmpty())
        return d->root;
    return d->root == QLatin1String("/") ? QLatin1Char('/') + rel : d->root + QLatin1Char('/') + rel;
}

QString DriveTable::toDos(const QString &nativePath) const
{
    const QString native = stripSlash(QDir::cleanPath(nativePath));
    const Drive *best = nullptr;
    for (const Drive &d : m_drives) {
        const bool under = d.root == QLatin1String("/") || native == d.root
            || native.startsWith(d.root + QLatin1Char('/'));
        if (under && (!best || d.root.size() > best->root.size()))
            best = &d;
    }
    if (!best)
        return QString();
    QString rel = native.mid(best->root == QLatin1String("/") ? 1 : best->root.size() + 1);
    rel.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QString(best->letter) + QLatin1String(":\\") + rel;
}

} // namespace platform
