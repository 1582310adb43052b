#pragma once
// The program's side of an emulator line, opened through the Win32 layer as a program would.

#include <string>

#include "platform/win32/types.h"

namespace testing_support {

// Opens "\\.\" + comName exclusively at the baud; a read or a write gives up after timeoutMs in
// all. INVALID_HANDLE_VALUE when the port does not open.
HANDLE OpenEmulatorPort(const std::string& comName, DWORD baud, DWORD timeoutMs);

} // namespace testing_support
