// CFile95: one file or folder named by a path, sent to the trash through the shell or shortened to 8.3.
#pragma once

#include "platform/ShellFileOp.h"

#include <QByteArray>
#include <QString>

class tst_CFile95;

/**
 * Stands for the file or folder that Name gives. Delete hands it to the shell's file operation, which
 * asks the user (unless ConfirmDelete is false) and sends it to the trash; ShortName gives its short
 * DOS form. Made by a handler, used once, released when the handler ends.
 */
class CFile95
{
public:
    CFile95() = default;
    CFile95(const CFile95 &) = delete;
    CFile95 &operator=(const CFile95 &) = delete;

    QString Name;
    bool ConfirmDelete = true;

    /** Sends Name (without its leading and trailing spaces) to the trash; the outcome is not reported. */
    void Delete();

    /** The short (8.3) DOS form of Name, or an empty string when there is none. */
    QString ShortName();

private:
    friend class tst_CFile95; // for tests: reads the state the caller never sees

    qint32 LastResult = 0;
    platform::SHFILEOPSTRUCTA OperationRecord {};
    QByteArray m_from; // the list OperationRecord.pFrom points into; lives as long as the record
};
