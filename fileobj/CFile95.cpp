#include "CFile95.h"

#include "platform/DriveTable.h"
#include "platform/Services.h"
#include "platform/ShortName.h"

#include <QFileInfo>

namespace {

constexpr int kShortBufferSize = 255;

} // namespace

void CFile95::Delete()
{
    QString name = platform::Trim(Name);
    // A file may really be called "notes.txt " (the list shows it so): trimmed, its name would send
    // another file to the trash, so a name that exists as it stands goes to the shell untrimmed.
    if (name != Name && !Name.contains(QChar(0))
        && QFileInfo(platform::DriveTable::instance().toNative(Name)).exists())
        name = Name;
    // A NUL inside the name would end it early and turn the rest into a second name for the shell;
    // such a name names no file, so the shell gets a list with no name and says so.
    m_from = name.contains(QChar(0)) ? QByteArray() : name.toUtf8();
    m_from.append('\0');
    m_from.append('\0');

    OperationRecord.wFunc = platform::FO_DELETE;
    OperationRecord.pFrom = m_from.constData();
    OperationRecord.fFlags = platform::FOF_ALLOWUNDO;
    if (!ConfirmDelete)
        OperationRecord.fFlags |= platform::FOF_NOCONFIRMATION;

    LastResult = platform::SHFileOperationA(&OperationRecord);
}

QString CFile95::ShortName()
{
    // The service reads up to the first NUL: a name holding one would be shortened to some other path.
    if (Name.contains(QChar(0))) {
        LastResult = 0;
        return QString();
    }
    char buffer[kShortBufferSize] = {};
    const QByteArray longPath = Name.toUtf8();
    const int n = platform::GetShortPathNameA(longPath.constData(), buffer, kShortBufferSize);
    LastResult = n;
    // A short form that fits takes at most 254 characters and its NUL. A larger n is the size the
    // service would need, with nothing written: the buffer then holds no path, so there is no short form.
    if (n <= 0 || n >= kShortBufferSize)
        return QString();
    return QString::fromUtf8(buffer, n);
}
