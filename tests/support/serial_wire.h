#pragma once
// The timing of an in-process serial line in both directions, in microseconds of the virtual
// clock. Written bytes leave one after another, 10 bits a byte (8N1) at the baud they were written
// at; a write reaches the device once its last byte has gone, and the device's answer runs arrive
// byte by byte after their delay, counted from there. The other direction is one wire too, so runs
// never overlap. An echoing adapter returns each written byte as it leaves. The input queue holds
// what a tty holds for its reader; bytes that arrive while it is full are lost.

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "tests/support/line_device.h"

namespace testing_support {

class SerialWire {
  public:
    static constexpr std::uint64_t NoEvent = UINT64_MAX;
    // A tty's input buffer keeps one byte free, so a reader sees at most 4095 waiting.
    static constexpr std::size_t InputQueueLimit = 4095;

    SerialWire(LineDevice& device, bool echo) : device(device), echo(echo) {}

    // What the device sends as a port opens, timed from nowUs at the line's baud.
    void Opened(std::uint64_t nowUs, std::uint32_t baud);
    // Bytes the device sends of its own accord from nowUs, behind what it is still sending.
    void Unprompted(std::vector<std::uint8_t> bytes, std::uint64_t nowUs, std::uint32_t baud);
    // When the last byte on its way back so far arrives.
    std::uint64_t ReceiveFreeUs() const { return receiveFreeUs; }
    // Queues bytes behind what is still going out.
    void Write(const std::uint8_t* bytes, std::size_t count, std::uint64_t nowUs, std::uint32_t baud);
    // Hands the device every write whose last byte has gone by nowUs, schedules its answers and
    // loses what overflowed the input queue. Every look at the line calls it first.
    void CatchUp(std::uint64_t nowUs);

    // Bytes that have arrived by nowUs and are not yet taken.
    std::size_t Arrived(std::uint64_t nowUs) const;
    // Written bytes not yet gone by nowUs.
    std::size_t Unsent(std::uint64_t nowUs) const;
    std::size_t Take(std::uint8_t* buffer, std::size_t size, std::uint64_t nowUs);
    // The next moment after nowUs when a byte arrives or a write has gone; NoEvent when nothing will.
    std::uint64_t NextEvent(std::uint64_t nowUs) const;

    void DropArrived(std::uint64_t nowUs);
    // The bytes not yet gone never reach the device, and an adapter never echoes them.
    void DropUnsent(std::uint64_t nowUs);
    void DropAll();

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

    void Schedule(const std::vector<TimedBytes>& runs, const Outgoing* cause, std::uint64_t fromUs,
                  std::uint32_t baud);
    // Nothing is taken between two looks, so the bytes past the limit are the ones that found the
    // queue full.
    void DropOverflow(std::uint64_t nowUs);

    LineDevice& device;
    bool echo;
    std::deque<Outgoing> outgoing;
    std::multimap<std::uint64_t, Incoming> incoming; // by arrival; equal times keep their order
    std::uint64_t sendFreeUs = 0, receiveFreeUs = 0;
};

} // namespace testing_support
