#pragma once
// What the serial calls (GetCommState, ClearCommError, PurgeComm, ...) need of the object behind an
// open COM port handle. A tty implements it (serial_port.h); tests put in-process devices under a
// COM number (com_devices.h), so the calls above them run unchanged on a virtual line.

#include <cstdint>
#include <mutex>

#include "platform/win32/io_object.h"
#include "platform/win32/serial.h"

namespace win32 {

class SerialDevice : public IoObject {
  public:
    // Each fails with FALSE and the last error set, as the Win32 call would.
    // Fills the fields of the DCB the line holds; others stay as the caller had them.
    virtual BOOL GetState(DCB& dcb) = 0;
    // Refuses, without touching the line, what the tty would refuse (serial_settings.h).
    virtual BOOL SetState(const DCB& dcb) = 0;
    // Bytes waiting to be read, and bytes written but not yet gone to the line.
    virtual BOOL QueueCounts(DWORD& input, DWORD& output) = 0;
    // Empties the input and/or the output queue.
    virtual BOOL Purge(bool input, bool output) = 0;
    // One of SETDTR, CLRDTR, SETRTS, CLRRTS, SETBREAK, CLRBREAK (the call checks it).
    virtual BOOL Escape(DWORD function) = 0;

    COMMTIMEOUTS Timeouts();
    void SetTimeouts(const COMMTIMEOUTS& timeouts);

  private:
    std::mutex lock;
    COMMTIMEOUTS timeouts{}; // a port opens with all zero: reads wait for every byte asked
};

// Beyond about a century a deadline would overflow the clocks; such a wait is as good as none.
constexpr std::uint64_t LongestWaitMs = 100ULL * 365 * 24 * 3600 * 1000;

// How one read call ends under the time-outs in force, in ms from the call's start; every device
// reads by it.
struct ReadPlan {
    static constexpr std::uint64_t NoLimit = UINT64_MAX;
    std::uint64_t totalMs = NoLimit;
    std::uint64_t intervalMs = 0; // after each byte; 0 = unused
    bool atOnce = false;          // return with what is waiting, never wait
    bool firstByte = false;       // return as soon as anything has come
};
ReadPlan PlanRead(const COMMTIMEOUTS& timeouts, DWORD size);

} // namespace win32
