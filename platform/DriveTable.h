// Drive letters over the Linux file system, and conversion between DOS-style and native paths.
#pragma once

#include <QChar>
#include <QList>
#include <QString>

namespace platform {

struct Drive
{
    QChar letter;       // upper case, 'C'
    QString root;       // native folder the drive's "X:\" stands for, without trailing '/' except "/"
    QString label;      // volume label shown in the drive list ("c: [label]")
    bool listed = true; // false would hide it; kept for completeness of the table
    bool notReady = false; // listed, but its root cannot be read (unmounted device, vanished mount point)
};

/**
 * The machine's drives: C: is the home folder, Z: the whole file system, removable and external
 * volumes D: onwards. Each drive keeps a current folder; the process's own working directory gives
 * the current drive and its current folder. Tests replace the table with setDrives().
 */
class DriveTable
{
public:
    /** The table in use: the machine's, built on first use, or the one a test installed. */
    static DriveTable &instance();

    /** Installs a table for tests; the current folder is given as a native path. */
    static void setDrives(const QList<Drive> &drives, const QString &currentNativeFolder);
    /** Drops an installed table; the next use reads the machine's drives again. */
    static void resetToSystem();
    /** Reads the machine's volumes again (one may have been mounted or removed); an installed table stays. */
    static void rescan();

    QList<Drive> drives() const { return m_drives; }
    const Drive *drive(QChar letter) const;

    /** True when the drive exists, is not marked not ready and its root can be opened now. */
    bool isReady(QChar letter) const;

    /** The drive the process's current folder lies on. */
    QChar currentDrive() const { return m_currentDrive; }
    /** A drive's current folder as a DOS path: the start-up folder for the current drive, else its root. */
    QString currentFolder(QChar letter) const;
    /** The process's current folder as a DOS path. */
    QString currentDosFolder() const { return currentFolder(m_currentDrive); }

    /** The native path for "X:\..." (either slash), a native absolute path, or a relative path. */
    QString toNative(const QString &path) const;
    /** The DOS path for a native path, on the drive with the longest matching root. */
    QString toDos(const QString &nativePath) const;

    /** The drive letter a DOS path starts with, upper case, or a null QChar. */
    static QChar driveLetterOf(const QString &text);
    /** Normalises a DOS path: upper-case letter, backslashes, no "." or "..", "\" only at a root. */
    static QString cleanDos(const QString &dosPath);
    /** The text of a drive list entry: "c: [label]" or "c:". */
    static QString designation(const Drive &d);

private:
    DriveTable() = default;
    static DriveTable systemTable();

    QList<Drive> m_drives;
    bool m_system = false;
    QChar m_currentDrive = QLatin1Char('C');
    QString m_currentFolderDos; // of the current drive
    QString m_currentNative;    // native working folder relative paths resolve against
};

} // namespace platform
