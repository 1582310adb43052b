#pragma once
// The kernel object behind an open COM port handle on a real tty: a file descriptor opened
// exclusively, driven by termios and the modem-line ioctls.

#include <string>

#include "platform/win32/serial_device.h"

namespace win32 {

class SerialPort : public SerialDevice {
  public:
    explicit SerialPort(int fd) : fd(fd) {}
    // A handle never closed (a program that just exits) still gives up the tty's exclusive flag.
    ~SerialPort() override;

    // Reads follow COMMTIMEOUTS; a hang-up fails with ERROR_DEVICE_NOT_CONNECTED.
    BOOL Read(void* buffer, DWORD size, DWORD* done) override;
    BOOL Write(const void* buffer, DWORD size, DWORD* done) override;
    BOOL Close() override;

    BOOL GetState(DCB& dcb) override;
    // The settings are never read back to be compared: a pseudo-terminal keeps neither parity nor
    // every rate, yet carries bytes all the same.
    BOOL SetState(const DCB& dcb) override;
    BOOL QueueCounts(DWORD& input, DWORD& output) override;
    BOOL Purge(bool input, bool output) override;
    // A pseudo-terminal has no modem lines: the line functions fail there.
    BOOL Escape(DWORD function) override;

  private:
    int fd;
    // DTR and RTS control as last set through SetState (Windows opens with both enabled).
    DWORD dtrControl = DTR_CONTROL_ENABLE;
    DWORD rtsControl = RTS_CONTROL_ENABLE;
};

// Opens the tty at `path` for reading and writing, exclusively (TIOCEXCL and an advisory lock,
// which also holds against root and across processes), raw 8N1 with the rate it had. Null with the
// last error set when the device is missing, busy or not a tty.
HANDLE OpenSerialDevice(const std::string& path);

} // namespace win32
