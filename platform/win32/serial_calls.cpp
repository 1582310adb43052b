// The Win32 serial calls on an open COM port handle: argument checks here, the line's work in the
// device behind the handle.

#include "platform/win32/last_error.h"
#include "platform/win32/serial.h"
#include "platform/win32/serial_device.h"

namespace {

std::shared_ptr<win32::SerialDevice> Port(HANDLE handle) {
    return win32::LookupHandleAs<win32::SerialDevice>(handle);
}

bool IsLineFunction(DWORD function) {
    switch (function) {
    case SETDTR:
    case CLRDTR:
    case SETRTS:
    case CLRRTS:
    case SETBREAK:
    case CLRBREAK:
        return true;
    default:
        return false;
    }
}

} // namespace

BOOL GetCommState(HANDLE handle, DCB* dcb) {
    auto port = Port(handle);
    if (!port) return FALSE;
    if (!dcb) return win32::FailWith(ERROR_INVALID_PARAMETER);
    return port->GetState(*dcb);
}

BOOL SetCommState(HANDLE handle, DCB* dcb) {
    auto port = Port(handle);
    if (!port) return FALSE;
    if (!dcb) return win32::FailWith(ERROR_INVALID_PARAMETER);
    return port->SetState(*dcb);
}

BOOL SetupComm(HANDLE handle, DWORD inQueue, DWORD outQueue) {
    auto port = Port(handle);
    if (!port) return FALSE;
    if (inQueue == 0 || outQueue == 0) return win32::FailWith(ERROR_INVALID_PARAMETER);
    return TRUE;
}

BOOL ClearCommError(HANDLE handle, LPDWORD errors, COMSTAT* status) {
    auto port = Port(handle);
    if (!port) return FALSE;
    DWORD input = 0, output = 0;
    if (!port->QueueCounts(input, output)) return FALSE;
    if (errors) *errors = 0; // the lines report no framing or overrun flags to collect
    if (status) {
        *status = COMSTAT{};
        status->cbInQue = input;
        status->cbOutQue = output;
    }
    return TRUE;
}

BOOL GetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts) {
    auto port = Port(handle);
    if (!port) return FALSE;
    if (!timeouts) return win32::FailWith(ERROR_INVALID_PARAMETER);
    *timeouts = port->Timeouts();
    return TRUE;
}

BOOL SetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts) {
    auto port = Port(handle);
    if (!port) return FALSE;
    if (!timeouts) return win32::FailWith(ERROR_INVALID_PARAMETER);
    port->SetTimeouts(*timeouts);
    return TRUE;
}

BOOL PurgeComm(HANDLE handle, DWORD flags) {
    auto port = Port(handle);
    if (!port) return FALSE;
    constexpr DWORD Known = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
    if (flags & ~Known) return win32::FailWith(ERROR_INVALID_PARAMETER);
    // Nothing is ever pending (no overlapped I/O), so the abort flags have nothing to cancel.
    bool input = flags & PURGE_RXCLEAR, output = flags & PURGE_TXCLEAR;
    if (!input && !output) return TRUE;
    return port->Purge(input, output);
}

BOOL EscapeCommFunction(HANDLE handle, DWORD function) {
    auto port = Port(handle);
    if (!port) return FALSE;
    if (!IsLineFunction(function)) return win32::FailWith(ERROR_INVALID_PARAMETER);
    return port->Escape(function);
}
