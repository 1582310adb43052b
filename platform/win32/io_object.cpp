#include "platform/win32/io_object.h"

#include "platform/win32/last_error.h"

namespace {

template <class Call> BOOL WithIoObject(HANDLE handle, LPDWORD done, void* overlapped, Call call) {
    if (done) *done = 0;
    if (overlapped) return win32::FailWith(ERROR_NOT_SUPPORTED);
    auto object = win32::LookupHandleAs<win32::IoObject>(handle);
    if (!object) return FALSE;
    DWORD moved = 0;
    BOOL result = call(*object, &moved);
    if (done) *done = moved;
    return result;
}

} // namespace

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD size, LPDWORD done, void* overlapped) {
    return WithIoObject(handle, done, overlapped, [&](win32::IoObject& object, DWORD* moved) {
        return object.Read(buffer, size, moved);
    });
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD size, LPDWORD done, void* overlapped) {
    return WithIoObject(handle, done, overlapped, [&](win32::IoObject& object, DWORD* moved) {
        return object.Write(buffer, size, moved);
    });
}
