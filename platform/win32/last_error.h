#pragma once
// The thread's last error. A failure that comes from a POSIX call keeps its errno number; a failure
// the layer detects itself (an unknown handle, a bad argument) uses the Win32 number below.

#include "platform/win32/types.h"

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;

DWORD GetLastError();
void SetLastError(DWORD error);

namespace win32 {
// Sets the last error from errno (or from the given errno value) and returns FALSE, so a failing
// call can end with `return win32::FailWithErrno();`.
BOOL FailWithErrno();
BOOL FailWithErrno(int errnoValue);
// Sets a Win32 error number and returns FALSE.
BOOL FailWith(DWORD error);
} // namespace win32
