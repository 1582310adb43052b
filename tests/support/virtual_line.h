#pragma once
// An in-process serial line on the virtual clock between a loader's port and a boot-loader
// emulator. Reads follow the COMMTIMEOUTS rules, and the clock moves to the moment a read ends, so
// a 16 s answer wait takes no real time. Keys can be typed at set moments into standard input.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/boot_loader_emulator.h"
#include "tests/support/virtual_clock.h"

namespace testing_support {

// What a loader's serial calls would have been given; kept for tests to inspect.
struct LineTimeouts {
    std::uint32_t interval = 0, multiplier = 0, constant = 0;
};

class VirtualLine {
  public:
    VirtualLine(VirtualClock& clock, BootLoaderEmulator& device);
    ~VirtualLine();
    VirtualLine(const VirtualLine&) = delete;
    VirtualLine& operator=(const VirtualLine&) = delete;

    // The line a loader's port reaches, or null.
    static VirtualLine* Current();

    // The port side. An open fails while the adapter is away; keys due by its moment are typed,
    // as a loader that retries opens reads the keyboard between them.
    bool Open(const std::string& path, std::uint32_t baud);
    void Closed();
    void SetTimeouts(LineTimeouts timeouts);
    void Purge();
    void Write(const std::uint8_t* bytes, int count);
    // Bytes read, or -1 when the port hung up before the read could end.
    int Read(std::uint8_t* buffer, int count);
    // The port opened last was there when the adapter went away.
    bool HungUp() const;

    // Bytes from the device side at a set moment, beside what the emulator sends.
    void Deliver(std::uint64_t atMs, const std::vector<std::uint8_t>& bytes);
    // Types `key` into standard input once the clock reaches `atMs`.
    void TypeKeyAt(std::uint64_t atMs, char key);
    // The adapter is pulled at `atMs`: the open port hangs up, what the device sends is lost and
    // opens fail until `backAtMs`.
    void UnplugAt(std::uint64_t atMs, std::uint64_t backAtMs = UINT64_MAX);
    // The adapter re-enumerates as the port next closes: away for `awayMs` from then.
    void ReenumerateOnClose(std::uint64_t awayMs) { reenumerateMs = awayMs; }

    // Bytes the loader writes take their wire time at this baud (10 bits a byte) when not 0: their
    // echo comes back byte by byte and the device answers after the last one.
    std::uint32_t paceBaud = 0;

    std::vector<std::string> openedPaths;
    std::uint32_t baud = 0;
    int opens = 0, closes = 0;
    LineTimeouts timeouts;
    // A read that could only have waited for ever: no time-out and no byte still to come.
    bool waitedForever = false;

  private:
    void MoveClockTo(std::uint64_t ms);
    void TypeDueKeys();
    bool Away(std::uint64_t ms) const { return ms >= unplugAtMs && ms < backAtMs; }
    // When the open port hangs up, or never.
    std::uint64_t LostAtMs() const;
    void Schedule(const std::vector<TimedBytes>& runs, std::uint64_t wireMs = 0);

    VirtualClock& clock;
    BootLoaderEmulator& device;
    // Bytes on their way to the port, by the moment they arrive.
    struct Incoming {
        std::uint8_t byte;
        bool announcement;
    };
    std::multimap<std::uint64_t, Incoming> incoming;
    std::multimap<std::uint64_t, char> keys;
    std::uint64_t unplugAtMs = UINT64_MAX, backAtMs = UINT64_MAX, openedAtMs = 0;
    std::uint64_t reenumerateMs = 0;
};

// Standard input becomes a pipe that tests type into; the write end stays open for the process, so
// the console never sees the end of its input. Install it before the first key is polled.
void InstallKeyboardPipe();
void TypeIntoStdin(char key);

} // namespace testing_support
