#pragma once
// The object behind a handle to an in-process COM port: the Win32 serial calls on a SerialWire and
// the virtual clock. Writes return at once, their bytes going out behind them; a read that has to
// wait moves the clock to the moment it ends, as the blocked caller would see it.

#include <termios.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/serial_device.h"
#include "tools/sensor_emulator/lines/serial_wire.h"

namespace sensor_emulator {

struct LineWrite {
    std::vector<std::uint8_t> bytes;
    std::uint64_t atMs = 0; // the clock when WriteFile was called
    std::uint32_t baud = 0; // the line's baud then
};

struct ModemLines {
    bool dtr = false, rts = false, breakOn = false;
};

// What a line and the handles opened on it share. A handle may outlive its line: once the line is
// pulled or gone every call fails with ERROR_DEVICE_NOT_CONNECTED, and the device is not touched.
struct VirtualLineState {
    static constexpr std::uint64_t Never = UINT64_MAX;

    VirtualLineState(std::string name, LineDevice& device, bool echo, bool pace, std::uint32_t baud);
    std::uint32_t Baud() const;
    // Brings the wire up to the clock; a pull drops the modem lines.
    void CatchUp(std::uint64_t nowMs);
    // Pulls the line at fromMs until toMs (Never: for good); what the wire then carries is lost. The
    // pull plays at the next look at the line, after what came before it.
    void Unplug(std::uint64_t fromMs, std::uint64_t toMs);

    std::mutex lock;
    const std::string name; // COMn, for the report of a read that could never end
    SerialWire wire;
    termios settings{}; // kept from one open to the next, as a tty keeps its settings
    ModemLines modem;
    std::vector<LineWrite> writes;
    int opens = 0;
    COMMTIMEOUTS readTimeouts{};     // those the last ReadFile ran under
    std::uint64_t awayOnCloseMs = 0; // the next close pulls the line for this long
    bool waitedForever = false;

  private:
    unsigned unplugsSeen = 0;
};

class VirtualComPort : public win32::SerialDevice {
  public:
    // Opens the line: DTR and RTS rise and the device says what it says on opening. Null with
    // ERROR_FILE_NOT_FOUND while the line is pulled.
    static std::shared_ptr<VirtualComPort> Open(std::shared_ptr<VirtualLineState> line);
    // A handle opened after the line's `unplugs` pulls; it hangs up at the next one.
    VirtualComPort(std::shared_ptr<VirtualLineState> line, unsigned unplugs)
        : line(std::move(line)), unplugsAtOpen(unplugs) {}

    BOOL Read(void* buffer, DWORD size, DWORD* done) override;
    BOOL Write(const void* buffer, DWORD size, DWORD* done) override;
    BOOL Close() override;
    BOOL GetState(DCB& dcb) override;
    BOOL SetState(const DCB& dcb) override;
    BOOL QueueCounts(DWORD& input, DWORD& output) override;
    BOOL Purge(bool input, bool output) override;
    BOOL Escape(DWORD function) override;

  private:
    // Locks the line, brings the wire up to the clock, fails on a line that has gone, then works.
    template <class Work> BOOL OnLine(Work work);
    bool HungUp() const { return line->wire.Unplugs() != unplugsAtOpen; }
    // Moves the clock on while bytes come, until the read is done, its time has run out or the
    // line is pulled.
    BOOL ReadUntilDone(std::uint8_t* bytes, DWORD size, DWORD* done);

    std::shared_ptr<VirtualLineState> line;
    unsigned unplugsAtOpen;
    DWORD dtrControl = DTR_CONTROL_ENABLE;
    DWORD rtsControl = RTS_CONTROL_ENABLE;
};

} // namespace sensor_emulator
