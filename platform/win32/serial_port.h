#pragma once
// The kernel object behind an open COM port handle: a tty file descriptor opened exclusively,
// its time-outs and the DTR/RTS control the program chose.

#include <mutex>
#include <string>

#include "platform/win32/io_object.h"
#include "platform/win32/serial.h"

namespace win32 {

class SerialPort : public IoObject {
  public:
    explicit SerialPort(int fd) : fd(fd) {}
    // A handle never closed (a program that just exits) still gives up the tty's exclusive flag.
    ~SerialPort() override;

    // Reads follow COMMTIMEOUTS; a hang-up fails with ERROR_DEVICE_NOT_CONNECTED.
    BOOL Read(void* buffer, DWORD size, DWORD* done) override;
    BOOL Write(const void* buffer, DWORD size, DWORD* done) override;
    BOOL Close() override;

    int Fd() const { return fd; }
    COMMTIMEOUTS Timeouts();
    void SetTimeouts(const COMMTIMEOUTS& timeouts);
    // DTR and RTS control as last set through SetCommState (Windows opens with both enabled).
    DWORD dtrControl = DTR_CONTROL_ENABLE;
    DWORD rtsControl = RTS_CONTROL_ENABLE;

  private:
    int fd;
    std::mutex lock;
    COMMTIMEOUTS timeouts{};
};

// Opens the tty at `path` for reading and writing, exclusively (TIOCEXCL and an advisory lock,
// which also holds against root and across processes), raw 8N1 with the rate it had. Null with the
// last error set when the device is missing, busy or not a tty.
HANDLE OpenSerialDevice(const std::string& path);

} // namespace win32
