#pragma once
// A clock that moves only when slept on or advanced, installed for the life of the object.

#include <atomic>

#include "platform/win32/clock.h"

namespace testing_support {

class VirtualClock : public win32::Clock {
  public:
    explicit VirtualClock(std::uint64_t startMs = 1000) : now(startMs) { win32::SetClock(this); }
    ~VirtualClock() override { win32::SetClock(nullptr); }
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    std::uint64_t NowMs() override { return now.load(); }
    void SleepMs(DWORD ms) override { now += ms; }
    bool IsVirtual() const override { return true; }

    void Advance(std::uint64_t ms) { now += ms; }
    void Set(std::uint64_t ms) { now = ms; }

  private:
    std::atomic<std::uint64_t> now;
};

} // namespace testing_support
