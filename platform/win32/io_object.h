#pragma once
// Kernel objects that ReadFile and WriteFile reach: ordinary files and serial ports.

#include "platform/win32/handles.h"

namespace win32 {

class IoObject : public KernelObject {
  public:
    // Both set *done to what was moved and follow Win32's result rules for their kind.
    virtual BOOL Read(void* buffer, DWORD size, DWORD* done) = 0;
    virtual BOOL Write(const void* buffer, DWORD size, DWORD* done) = 0;
};

} // namespace win32

// The overlapped argument is accepted for the signature's sake; only null is supported.
BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD size, LPDWORD done, void* overlapped);
BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD size, LPDWORD done, void* overlapped);
