#pragma once
// Ordinary files, the module path and file deletion. Paths are UTF-16 and use '/'.

#include <string>

#include "platform/win32/io_object.h"
#include "platform/win32/types.h"

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;
constexpr DWORD MAX_PATH = 260;

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, void* security, DWORD creation, DWORD flags,
                   HANDLE templateFile);
// The narrow name is read as UTF-8 on this platform.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* security, DWORD creation, DWORD flags,
                   HANDLE templateFile);
// Low 32 bits of the size; the high half into *high when given.
DWORD GetFileSize(HANDLE file, LPDWORD high);
// Times as 100-ns counts in UTC since 1601; creation and access may be null.
BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* access, FILETIME* lastWrite);
BOOL DeleteFileW(LPCWSTR name);
// The running program's full path (null module); truncated to size - 1 characters with
// ERROR_INSUFFICIENT_BUFFER when it does not fit.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);

namespace win32 {
// Opens an ordinary file; CreateFileW's work for every name that is not a device.
HANDLE OpenDiskFile(LPCWSTR name, DWORD access, DWORD creation);
// Seconds and nanoseconds since 1970 as a FILETIME.
FILETIME UnixTimeToFileTime(long long seconds, long nanoseconds);
// The path GetModuleFileNameW gives from now on, in UTF-8; empty gives the running program's own
// again. Tests put the program in a temporary folder, so what it makes beside itself stays there.
void SetModuleFileName(const std::string& path);
} // namespace win32
