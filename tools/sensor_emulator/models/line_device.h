#pragma once
// A device on the serial line as an emulator models it, free of any transport: it is handed the
// bytes the program wrote and answers with timed byte runs. Transports (an in-process line on the
// virtual clock, a pty mapped as a COM port) carry the bytes, their wire time and an adapter's echo.

#include <cstdint>
#include <vector>

namespace sensor_emulator {

// A byte run the device sends `delayMs` after the bytes that caused it.
struct TimedBytes {
    std::uint32_t delayMs = 0;
    std::vector<std::uint8_t> bytes;
    // A "BLST" the device repeats while it waits; a transport drops it once the device no longer
    // announces (Announcing() false), so it never lands inside a block's answer.
    bool announcement = false;
    // The line's echo of what the loader wrote, which takes the bytes' own wire time.
    bool echo = false;
};

class LineDevice {
  public:
    virtual ~LineDevice() = default;
    // What the device sends as the program's port opens.
    virtual std::vector<TimedBytes> Opened() { return {}; }
    // Bytes the program wrote while the line ran at `baud`. A device that speaks another baud
    // hears only noise and answers nothing.
    virtual std::vector<TimedBytes> Received(const std::uint8_t* bytes, std::size_t count,
                                             std::uint32_t baud) = 0;
    // Whether announcement runs still go out; a transport asks just before it sends one.
    virtual bool Announcing() const { return true; }
};

} // namespace sensor_emulator
