// The shell's file operation request and the delete-to-trash operation behind it.
#pragma once

#include <QtGlobal>

namespace platform {

using HWND = void *;
using HANDLE = void *;
using LPCSTR = const char *;

constexpr quint32 FO_DELETE = 3;
constexpr quint16 FOF_NOCONFIRMATION = 0x0010;
constexpr quint16 FOF_ALLOWUNDO = 0x0040;

/** The request record of the shell's file operation. */
struct SHFILEOPSTRUCTA
{
    HWND hwnd = nullptr;
    quint32 wFunc = 0;
    LPCSTR pFrom = nullptr; // NUL-separated names, ended by an empty name
    LPCSTR pTo = nullptr;
    quint16 fFlags = 0;
    qint32 fAnyOperationsAborted = 0;
    HANDLE hNameMappings = nullptr;
    LPCSTR lpszProgressTitle = nullptr;
};

/**
 * Carries out the request. For FO_DELETE with FOF_ALLOWUNDO each named file or folder goes to the
 * desktop trash, after the user confirmed it (unless FOF_NOCONFIRMATION). Reports its own failures in
 * a message box and returns non-zero then; 0 on success. Never deletes permanently, never expands
 * wildcards.
 */
int SHFileOperationA(SHFILEOPSTRUCTA *op);

} // namespace platform
