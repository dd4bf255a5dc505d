#include "ShellFileOp.h"

#include "DriveTable.h"
#include "Services.h"

#include <QFile>
#include <QList>
#include <QString>

#include <sys/stat.h>

// GLib names a struct member "signals", which Qt defines as a keyword
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>

#include <dlfcn.h>
#pragma pop_macro("signals")

namespace platform {

namespace {

// GIO is loaded the first time something goes to the trash rather than at start-up: it brings half a
// dozen libraries that Kestrola would otherwise load, and wait for, on every start.
struct Gio
{
    decltype(&g_file_new_for_path) newForPath = nullptr;
    decltype(&g_file_trash) trash = nullptr;
    decltype(&g_object_unref) unref = nullptr;
    decltype(&g_error_free) errorFree = nullptr;
    decltype(&g_io_error_quark) ioErrorQuark = nullptr;

    static const Gio *get()
    {
        static const Gio gio = load();
        return gio.trash ? &gio : nullptr;
    }

private:
    static Gio load()
    {
        Gio g;
        void *lib = ::dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return g;
        g.newForPath = reinterpret_cast<decltype(newForPath)>(::dlsym(lib, "g_file_new_for_path"));
        g.unref = reinterpret_cast<decltype(unref)>(::dlsym(lib, "g_object_unref"));
        g.errorFree = reinterpret_cast<decltype(errorFree)>(::dlsym(lib, "g_error_free"));
        g.ioErrorQuark = reinterpret_cast<decltype(ioErrorQuark)>(::dlsym(lib, "g_io_error_quark"));
        g.trash = reinterpret_cast<decltype(trash)>(::dlsym(lib, "g_file_trash"));
        if (!g.newForPath || !g.unref || !g.errorFree || !g.ioErrorQuark)
            g.trash = nullptr;
        return g;
    }
};

} // namespace

namespace {

// Result codes, as the shell's own: 0 is success, anything else says why nothing (or not all) was done.
constexpr int kNotFound = 0x02;        // no such file or folder
constexpr int kAccessDenied = 0x05;    // no permission to move it
constexpr int kNotSupported = 0x32;    // no trash there, or an operation other than delete
constexpr int kInvalidParameter = 0x57;
constexpr int kNoNames = 0x7C;         // the list held no name
constexpr int kCancelled = 0x4C7;      // the user answered No
constexpr int kFailed = 0x1F;          // any other failure of the move

const QString kErrorTitle = QStringLiteral("Error Deleting File");

QList<QByteArray> namesOf(LPCSTR from)
{
    QList<QByteArray> names;
    if (!from)
        return names;
    // one name after another, each ended by a NUL; an empty name ends the list
    for (const char *p = from; *p; p += qstrlen(p) + 1)
        names << QByteArray(p);
    return names;
}

int reportFailure(const QString &prompt, int code)
{
    MsgBox(prompt, vbOKOnly + vbCritical, kErrorTitle);
    return code;
}

struct Entry
{
    bool exists = false;
    bool isFolder = false;
};

Entry lookUp(const QString &native)
{
    struct stat st;
    Entry e;
    // a link goes to the trash itself, not what it points to, so it is looked at as a link
    if (::lstat(QFile::encodeName(native).constData(), &st) == 0) {
        e.exists = true;
        e.isFolder = S_ISDIR(st.st_mode);
    }
    return e;
}

bool isDriveRoot(const QString &native)
{
    if (native == QLatin1String("/"))
        return true;
    for (const Drive &d : DriveTable::instance().drives()) {
        if (d.root == native)
            return true;
    }
    return false;
}

int trashOne(const QByteArray &given, bool confirm)
{
    const DriveTable &table = DriveTable::instance();
    const QString name = QString::fromUtf8(given);
    // never a pattern: "*.zip" names the one file called "*.zip", if there is one
    const QString native = table.toNative(name);
    if (native.isEmpty()) {
        return reportFailure(QStringLiteral("Cannot delete '%1': there is no drive %2:.\n\n"
                                            "Check the drive letter and try again.")
                                 .arg(name, DriveTable::driveLetterOf(name)),
                             kNotFound);
    }
    // the confirmation and every report show the whole path that would go, however it was given
    QString shown = table.toDos(native);
    if (shown.isEmpty())
        shown = native;

    const Entry entry = lookUp(native);
    if (!entry.exists) {
        return reportFailure(QStringLiteral("Cannot delete '%1': there is no such file or folder.\n\n"
                                            "Check the folder and the file name, then try again.")
                                 .arg(shown),
                             kNotFound);
    }
    if (isDriveRoot(native)) {
        return reportFailure(QStringLiteral("Cannot delete '%1': it is the top folder of a drive.\n\n"
                                            "Choose a file or a folder inside it.")
                                 .arg(shown),
                             kAccessDenied);
    }

    if (confirm) {
        const QString prompt = entry.isFolder
            ? QStringLiteral("Are you sure you want to send the folder '%1' and all its contents to the Trash?")
            : QStringLiteral("Are you sure you want to send '%1' to the Trash?");
        if (MsgBox(prompt.arg(shown), vbYesNo + vbQuestion, QStringLiteral("Confirm File Delete")) != vbYes)
            return kCancelled;
    }

    const Gio *gio = Gio::get();
    if (!gio) {
        return reportFailure(QStringLiteral("Cannot send '%1' to the Trash: the desktop's trash service (GIO) "
                                            "is not installed.\n\nNothing was deleted. Install the package "
                                            "libglib2.0-0 and try again.")
                                 .arg(shown),
                             kAccessDenied);
    }
    GFile *file = gio->newForPath(QFile::encodeName(native).constData());
    GError *error = nullptr;
    const bool trashed = gio->trash(file, nullptr, &error);
    gio->unref(file);
    if (trashed)
        return 0;

    const QString reason = error ? QString::fromUtf8(error->message) : QString();
    const int kind = error && error->domain == gio->ioErrorQuark() ? error->code : -1;
    if (error)
        gio->errorFree(error);

    switch (kind) {
    case G_IO_ERROR_NOT_FOUND:
        return reportFailure(QStringLiteral("Cannot delete '%1': it is no longer there.\n\n"
                                            "Refresh the list and try again.")
                                 .arg(shown),
                             kNotFound);
    case G_IO_ERROR_PERMISSION_DENIED:
        return reportFailure(QStringLiteral("Cannot send '%1' to the Trash: you do not have permission to "
                                            "move it (%2).\n\nNothing was deleted. Ask the owner of the "
                                            "folder for write access, or choose another file.")
                                 .arg(shown, reason),
                             kAccessDenied);
    case G_IO_ERROR_NOT_SUPPORTED:
        return reportFailure(QStringLiteral("Cannot send '%1' to the Trash: this drive has no Trash (%2).\n\n"
                                            "Nothing was deleted. To send it to the Trash, first move it to "
                                            "your home folder (drive C:).")
                                 .arg(shown, reason),
                             kNotSupported);
    default:
        return reportFailure(QStringLiteral("Cannot send '%1' to the Trash: %2.\n\n"
                                            "Nothing was deleted. Check the file and try again.")
                                 .arg(shown, reason),
                             kFailed);
    }
}

} // namespace

int SHFileOperationA(SHFILEOPSTRUCTA *op)
{
    if (!op)
        return kInvalidParameter;
    op->fAnyOperationsAborted = 0;

    if (op->wFunc != FO_DELETE) {
        op->fAnyOperationsAborted = 1;
        return reportFailure(QStringLiteral("This file operation is not available. Nothing was changed."),
                             kNotSupported);
    }
    if (!(op->fFlags & FOF_ALLOWUNDO)) {
        // a delete that could not be undone is never carried out
        op->fAnyOperationsAborted = 1;
        return reportFailure(QStringLiteral("Cannot delete for good: files are only sent to the Trash, "
                                            "from where they can be restored.\n\nNothing was deleted."),
                             kInvalidParameter);
    }

    const QList<QByteArray> names = namesOf(op->pFrom);
    if (names.isEmpty()) {
        op->fAnyOperationsAborted = 1;
        return reportFailure(QStringLiteral("Cannot delete: no file name was given.\n\n"
                                            "Choose the file to delete and try again."),
                             kNoNames);
    }

    const bool confirm = !(op->fFlags & FOF_NOCONFIRMATION);
    int result = 0;
    for (const QByteArray &name : names) {
        const int code = trashOne(name, confirm);
        if (code == 0)
            continue;
        op->fAnyOperationsAborted = 1;
        if (code == kCancelled) {
            result = kCancelled; // the others are still asked about, each on its own
            continue;
        }
        return code; // after a failure, nothing further is touched
    }
    return result;
}

} // namespace platform
