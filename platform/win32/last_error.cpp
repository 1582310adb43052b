#include "platform/win32/last_error.h"

#include <cerrno>

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD GetLastError() {
    return lastError;
}

void SetLastError(DWORD error) {
    lastError = error;
}

namespace win32 {

BOOL FailWithErrno() {
    return FailWithErrno(errno);
}

BOOL FailWithErrno(int errnoValue) {
    lastError = static_cast<DWORD>(errnoValue);
    return FALSE;
}

BOOL FailWith(DWORD error) {
    lastError = error;
    return FALSE;
}

} // namespace win32
