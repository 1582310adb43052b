#include "platform/win32/clock.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace win32 {
namespace {

class MonotonicClock : public Clock {
  public:
    std::uint64_t NowMs() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
               static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    }

    void SleepMs(DWORD ms) override {
        timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
        while (nanosleep(&left, &left) != 0 && errno == EINTR) {
        }
    }
};

std::atomic<Clock*> installed{nullptr};

} // namespace

Clock& SystemClock() {
    static MonotonicClock clock;
    return clock;
}

Clock& CurrentClock() {
    Clock* clock = installed.load(std::memory_order_acquire);
    return clock ? *clock : SystemClock();
}

void SetClock(Clock* clock) {
    installed.store(clock, std::memory_order_release);
}

} // namespace win32

DWORD GetTickCount() {
    return static_cast<DWORD>(win32::CurrentClock().NowMs());
}

void Sleep(DWORD ms) {
    win32::CurrentClock().SleepMs(ms);
}
