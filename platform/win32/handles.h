#pragma once
// Kernel objects behind HANDLE values. A handle is an opaque number that names an object in one
// process-wide table, so a stale or made-up handle is detected (ERROR_INVALID_HANDLE) instead of
// being dereferenced. Every family (files, serial ports, processes, events, sockets' events)
// derives its object from KernelObject and registers it.

#include <memory>

#include "platform/win32/types.h"

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

namespace win32 {

class KernelObject {
  public:
    virtual ~KernelObject() = default;
    // Waits up to `ms` (INFINITE: no limit); WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
    // Objects that cannot be waited on fail with ERROR_INVALID_HANDLE, as Windows does.
    virtual DWORD Wait(DWORD ms);
    // Releases what the object holds of the system; called once, by CloseHandle.
    virtual BOOL Close() { return TRUE; }
};

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object);
// The live object, or null with ERROR_INVALID_HANDLE. The shared pointer keeps the object alive
// while the caller uses it, even if another thread closes the handle meanwhile.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

// Ends the wait of an object that nothing will signal within `ms`: the current clock sleeps ms (a
// virtual clock just moves on, so tests do not block) and the result is WAIT_TIMEOUT. INFINITE
// blocks for good on the real clock, as on Windows; on a virtual clock it would hang the test, so
// it fails there with ERROR_INVALID_PARAMETER.
DWORD WaitForTimeOut(DWORD ms);

// Sets ERROR_INVALID_HANDLE; for lookups that found an object of the wrong kind.
void LookupHandleFailed();

// The live object if it is of kind T, else null with ERROR_INVALID_HANDLE.
template <class T> std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
    auto object = std::dynamic_pointer_cast<T>(LookupHandle(handle));
    if (!object) LookupHandleFailed();
    return object;
}

} // namespace win32

BOOL CloseHandle(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD ms);
