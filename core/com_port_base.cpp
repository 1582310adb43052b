#include "core/com_port_base.h"

#include "platform/win32/handles.h"
#include "platform/win32/last_error.h"
#include "platform/win32/serial.h"

ComPortBase::ComPortBase(HANDLE handle, const TString& portName, const TString& friendlyName,
                         std::int32_t baud, std::uint8_t stopBits)
    : stopBits(stopBits), handle(handle), portName(portName), friendlyName(friendlyName), baud(baud) {
    if (!portName.empty()) log.SetName(portName);
    Configure();
    log.Log(TString("opened"));
}

ComPortBase::~ComPortBase() {
    if (!CloseHandle(handle)) log.LogError(TString("CloseHandle handle"));
    log.Log(TString("closed"));
}

void ComPortBase::Configure() {
    DCB dcb{};
    if (!GetCommState(handle, &dcb)) log.LogError(TString("GetCommState"));
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = stopBits;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!SetCommState(handle, &dcb)) log.LogError(TString("SetCommState"));
    if (!SetupComm(handle, 8192, 8192)) log.LogError(TString("SetupComm"));
}

void ComPortBase::CheckInput() {
    DWORD errors = 0;
    COMSTAT status{};
    if (ClearCommError(handle, &errors, &status) && status.cbInQue != 0)
        OnReceive(static_cast<std::int32_t>(status.cbInQue));
}

bool ComPortBase::DeviceGone() const {
    DWORD errors = 0;
    COMSTAT status{};
    return !ClearCommError(handle, &errors, &status) && GetLastError() == ERROR_DEVICE_NOT_CONNECTED;
}

void ComPortBase::SetSpeed(std::int32_t newBaud) {
    DCB dcb{};
    if (!GetCommState(handle, &dcb)) log.LogError(TString("GetCommState"));
    dcb.BaudRate = static_cast<DWORD>(newBaud);
    if (!SetCommState(handle, &dcb)) log.LogError(TString("SetCommState"));
    baud = newBaud;
    log.Log(TString("Setting speed"), TString(static_cast<int>(newBaud)));
}
