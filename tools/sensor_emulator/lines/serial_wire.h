#pragma once
// The timing of an in-process serial line in both directions, in microseconds of the virtual
// clock. Written bytes leave one after another, 10 bits a byte (8N1) at the baud they were written
// at; a write reaches the device once its last byte has gone, and the device's answer runs arrive
// byte by byte after their delay, counted from there. The other direction is one wire too, so a
// run starts only once the one before it is through. An echoing adapter returns each written byte
// as it leaves.
//
// A run is decided as it starts: an announcement goes out only while the device still announces,
// and one due while a write is on its way waits until the device has heard it, so that it never
// lands inside the answer to that write. A pulled line loses what is on the wire and every run due
// to start while it is away; runs due after it is back go out as before. As on a tty, the count of
// bytes waiting stops at what the reader's buffer holds while more waits behind it.

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "tools/sensor_emulator/models/line_device.h"

namespace sensor_emulator {

class SerialWire {
  public:
    static constexpr std::uint64_t NoEvent = UINT64_MAX;
    // A tty's read buffer keeps one byte free, so a reader is told of at most 4095 waiting.
    static constexpr std::size_t InputQueueLimit = 4095;

    // Unpaced, bytes take no wire time: a line faster than its rate.
    SerialWire(LineDevice& device, bool echo, bool pace = true) : device(device), echo(echo), pace(pace) {}

    // What the device sends as a port opens, timed from nowUs at the line's baud.
    void Opened(std::uint64_t nowUs, std::uint32_t baud);
    // Queues bytes behind what is still going out.
    void Write(const std::uint8_t* bytes, std::size_t count, std::uint64_t nowUs, std::uint32_t baud);
    // Bytes from the device's side due at atUs besides its answers: another talker, or noise.
    void Send(std::vector<std::uint8_t> bytes, std::uint64_t atUs, std::uint32_t baud);
    // The line is pulled at fromUs and back at toUs (NoEvent: never); a later call replaces it.
    void Unplug(std::uint64_t fromUs, std::uint64_t toUs);
    // Plays every event up to nowUs in the order of its moment: writes the device hears (their
    // answers are scheduled), runs that start, the pull. Every look at the line calls it first.
    void CatchUp(std::uint64_t nowUs);

    // Whether the line is pulled at nowUs.
    bool Away(std::uint64_t nowUs) const { return nowUs >= awayFromUs && nowUs < awayToUs; }
    // How often the line has been pulled so far; a port opened before the last pull has hung up.
    unsigned Unplugs() const { return unplugs; }

    // Bytes that have arrived by nowUs and are not yet taken, up to InputQueueLimit.
    std::size_t Arrived(std::uint64_t nowUs) const;
    // Written bytes not yet gone by nowUs.
    std::size_t Unsent(std::uint64_t nowUs) const;
    std::size_t Take(std::uint8_t* buffer, std::size_t size, std::uint64_t nowUs);
    // The next moment after nowUs when something happens on the line; NoEvent when nothing will.
    std::uint64_t NextEvent(std::uint64_t nowUs) const;
    // When the last byte sent or due so far towards the reader has arrived.
    std::uint64_t QuietUs() const;

    void DropArrived(std::uint64_t nowUs);
    // The bytes not yet gone never reach the device, and an adapter never echoes them.
    void DropUnsent(std::uint64_t nowUs);

  private:
    struct Outgoing {
        std::vector<std::uint8_t> bytes;
        std::vector<std::uint64_t> ends; // when each byte's stop bit has gone
        std::uint32_t baud;
    };
    struct Incoming {
        std::uint8_t byte;
        bool echo; // the adapter's copy of a written byte
    };
    struct Run {
        std::vector<std::uint8_t> bytes;
        std::uint32_t baud;
        bool announcement;
    };

    void Schedule(const std::vector<TimedBytes>& runs, const Outgoing* cause, std::uint64_t fromUs,
                  std::uint32_t baud);
    // When the first run due starts, or NoEvent.
    std::uint64_t NextRunStart() const;
    void Deliver();
    void StartRun(std::uint64_t startUs);
    void Pull();
    // The wire time of `count` bytes at `baud`, counted from one start so that rounding never adds up.
    std::uint64_t WireUs(std::size_t count, std::uint32_t baud) const;

    LineDevice& device;
    bool echo, pace;
    std::deque<Outgoing> outgoing;
    std::multimap<std::uint64_t, Run> due;           // by the moment each run is due
    std::multimap<std::uint64_t, Incoming> incoming; // by arrival; equal times keep their order
    std::uint64_t sendFreeUs = 0, receiveFreeUs = 0;
    std::uint64_t awayFromUs = NoEvent, awayToUs = NoEvent;
    bool pulled = false; // the pull at awayFromUs has been played
    unsigned unplugs = 0;
};

} // namespace sensor_emulator
