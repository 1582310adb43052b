#pragma once
// The one clock behind GetTickCount and Sleep. Tests install a virtual clock so that rules such as
// 500, 999 or 2500 ms are checked exactly and without waiting.

#include <cstdint>

#include "platform/win32/types.h"

namespace win32 {

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale with an arbitrary origin.
    virtual std::uint64_t NowMs() = 0;
    virtual void SleepMs(DWORD ms) = 0;
    // True for a clock that moves only when told to; waits on objects that nothing will signal
    // then advance the clock by their time-out instead of blocking.
    virtual bool IsVirtual() const { return false; }
};

// The real monotonic clock (CLOCK_MONOTONIC).
Clock& SystemClock();
Clock& CurrentClock();
// Installs a clock; null restores the system clock. The caller keeps ownership.
void SetClock(Clock* clock);

} // namespace win32

// Milliseconds since an arbitrary start, wrapping at 2^32 like the Windows tick.
DWORD GetTickCount();
void Sleep(DWORD ms);
