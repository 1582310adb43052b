#include "tests/support/emulator_port.h"

#include "platform/win32/files.h"
#include "platform/win32/serial.h"

namespace testing_support {

HANDLE OpenEmulatorPort(const std::string& comName, DWORD baud, DWORD timeoutMs) {
    std::string path = "\\\\.\\" + comName;
    HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return handle;
    DCB dcb{};
    GetCommState(handle, &dcb);
    dcb.BaudRate = baud;
    SetCommState(handle, &dcb);
    COMMTIMEOUTS timeouts{0, 0, timeoutMs, 0, timeoutMs};
    SetCommTimeouts(handle, &timeouts);
    return handle;
}

} // namespace testing_support
