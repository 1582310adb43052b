#include "loaders/common/loader_com_port.h"

#include "platform/win32/files.h"
#include "platform/win32/handles.h"
#include "platform/win32/last_error.h"
#include "platform/win32/serial.h"

LoaderComPort::LoaderComPort() : handle(INVALID_HANDLE_VALUE) {}

LoaderComPort::~LoaderComPort() {
    if (IsOpen()) CloseHandle(handle);
}

namespace {
bool DeviceGone() {
    return GetLastError() == ERROR_DEVICE_NOT_CONNECTED;
}
} // namespace

bool LoaderComPort::Open(const char* devicePath, std::uint32_t baud) {
    hungUp = false;
    if (IsOpen()) {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    handle = CreateFileA(devicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!IsOpen()) return false;
    bool queues = SetupComm(handle, 1024, 1024);
    // From zeros, not from the driver's state: nothing of an earlier user's settings survives.
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = baud;
    dcb.fBinary = 1;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (queues && SetCommState(handle, &dcb)) return true;
    CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    return false;
}

BOOL LoaderComPort::SetTimeouts(std::uint32_t interval, std::uint32_t multiplier, std::uint32_t constant) {
    COMMTIMEOUTS timeouts{interval, multiplier, constant, 0, 0};
    return SetCommTimeouts(handle, &timeouts);
}

bool LoaderComPort::Purge() {
    return IsOpen() && PurgeComm(handle, PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void LoaderComPort::Close() {
    if (IsOpen()) {
        EscapeCommFunction(handle, CLRDTR);
        EscapeCommFunction(handle, CLRRTS);
        CloseHandle(handle);
    }
    handle = INVALID_HANDLE_VALUE;
    hungUp = false;
}

bool LoaderComPort::Write(const std::uint8_t* bytes, std::int32_t count) {
    if (!IsOpen() || count < 0) return false;
    DWORD written = 0;
    if (!WriteFile(handle, bytes, static_cast<DWORD>(count), &written, nullptr)) {
        hungUp = hungUp || DeviceGone();
        return false;
    }
    return written == static_cast<DWORD>(count);
}

std::int32_t LoaderComPort::Read(std::uint8_t* buffer, std::int32_t count) {
    if (!IsOpen() || count <= 0) return 0;
    DWORD got = 0;
    if (!ReadFile(handle, buffer, static_cast<DWORD>(count), &got, nullptr)) {
        hungUp = hungUp || DeviceGone();
        return 0;
    }
    return static_cast<std::int32_t>(got);
}

BOOL LoaderComPort::EscapeFunction(DWORD function) {
    if (!IsOpen()) return FALSE;
    return EscapeCommFunction(handle, function);
}
