// The Win32 serial calls on an open COM port handle.

#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>

#include "platform/win32/last_error.h"
#include "platform/win32/serial.h"
#include "platform/win32/serial_port.h"
#include "platform/win32/serial_settings.h"

namespace {

using win32::SerialPort;

std::shared_ptr<SerialPort> Port(HANDLE handle) {
    return win32::LookupHandleAs<SerialPort>(handle);
}

BOOL FailIo() {
    return win32::FailWith(errno == EIO ? ERROR_DEVICE_NOT_CONNECTED : static_cast<DWORD>(errno));
}

// Raises or drops modem lines; fails on a tty without them (a pseudo-terminal).
bool SetModemLines(int fd, int lines, bool raise) {
    return ::ioctl(fd, raise ? TIOCMBIS : TIOCMBIC, &lines) == 0;
}

} // namespace

BOOL GetCommState(HANDLE handle, DCB* dcb) {
    auto port = Port(handle);
    if (!port) return FALSE;
    if (!dcb) return win32::FailWith(ERROR_INVALID_PARAMETER);
    termios settings{};
    if (::tcgetattr(port->Fd(), &settings) != 0) return FailIo();
    win32::TermiosToDcb(settings, *dcb);
    dcb->fDtrControl = port->dtrControl;
    dcb->fRtsControl = port->rtsControl;
    return TRUE;
}

BOOL SetCommState(HANDLE handle, DCB* dcb) {
    auto port = Port(handle);
    if (!port) return FALSE;
    if (!dcb) return win32::FailWith(ERROR_INVALID_PARAMETER);
    termios settings{};
    if (::tcgetattr(port->Fd(), &settings) != 0) return FailIo();
    if (!win32::DcbToTermios(*dcb, settings)) return FALSE;
    if (::tcsetattr(port->Fd(), TCSANOW, &settings) != 0) return FailIo();
    port->dtrControl = dcb->fDtrControl;
    port->rtsControl = dcb->fRtsControl;
    // Enable raises the line, disable drops it. A pseudo-terminal has no lines; that is no failure
    // of the settings, so the results are not looked at here.
    SetModemLines(port->Fd(), TIOCM_DTR, dcb->fDtrControl == DTR_CONTROL_ENABLE);
    if (dcb->fRtsControl != RTS_CONTROL_HANDSHAKE)
        SetModemLines(port->Fd(), TIOCM_RTS, dcb->fRtsControl == RTS_CONTROL_ENABLE);
    return TRUE;
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
    int waiting = 0, queued = 0;
    if (::ioctl(port->Fd(), FIONREAD, &waiting) != 0) return FailIo();
    if (::ioctl(port->Fd(), TIOCOUTQ, &queued) != 0) queued = 0;
    if (errors) *errors = 0; // the tty reports no framing or overrun flags to collect
    if (status) {
        *status = COMSTAT{};
        status->cbInQue = static_cast<DWORD>(waiting);
        status->cbOutQue = static_cast<DWORD>(queued);
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
    int queue = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ::tcflush(port->Fd(), queue) == 0 ? TRUE : FailIo();
}

BOOL EscapeCommFunction(HANDLE handle, DWORD function) {
    auto port = Port(handle);
    if (!port) return FALSE;
    int fd = port->Fd();
    bool done;
    switch (function) {
    case SETDTR:
        done = SetModemLines(fd, TIOCM_DTR, true);
        break;
    case CLRDTR:
        done = SetModemLines(fd, TIOCM_DTR, false);
        break;
    case SETRTS:
        done = SetModemLines(fd, TIOCM_RTS, true);
        break;
    case CLRRTS:
        done = SetModemLines(fd, TIOCM_RTS, false);
        break;
    case SETBREAK:
        done = ::ioctl(fd, TIOCSBRK) == 0;
        break;
    case CLRBREAK:
        done = ::ioctl(fd, TIOCCBRK) == 0;
        break;
    default:
        return win32::FailWith(ERROR_INVALID_PARAMETER);
    }
    return done ? TRUE : FailIo();
}
