#pragma once
// A clock that moves only when slept on or advanced, installed for the life of the object. Actions
// can be set for moments on it: each runs on the thread that moves the clock to or past its moment.

#include <atomic>
#include <functional>
#include <map>
#include <mutex>

#include "platform/win32/clock.h"

namespace testing_support {

class VirtualClock : public win32::Clock {
  public:
    explicit VirtualClock(std::uint64_t startMs = 1000) : now(startMs) { win32::SetClock(this); }
    ~VirtualClock() override { win32::SetClock(nullptr); }
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    std::uint64_t NowMs() override { return now.load(); }
    void SleepMs(DWORD ms) override { Advance(ms); }
    bool IsVirtual() const override { return true; }

    void Advance(std::uint64_t ms) {
        now += ms;
        RunDue();
    }
    void Set(std::uint64_t ms) {
        now = ms;
        RunDue();
    }

    // Runs `action` once the clock has come to `atMs`. A virtual serial line holds its lock while
    // a read moves the clock, so an action must not call the line.
    void At(std::uint64_t atMs, std::function<void()> action) {
        std::lock_guard guard(lock);
        actions.emplace(atMs, std::move(action));
    }
    // Drops the actions still to come, as a test starts a run afresh.
    void DropActions() {
        std::lock_guard guard(lock);
        actions.clear();
    }

  private:
    void RunDue() {
        std::multimap<std::uint64_t, std::function<void()>> due;
        {
            std::lock_guard guard(lock);
            auto end = actions.upper_bound(now.load());
            due.insert(std::make_move_iterator(actions.begin()), std::make_move_iterator(end));
            actions.erase(actions.begin(), end);
        }
        for (auto& [atMs, action] : due)
            action();
    }

    std::atomic<std::uint64_t> now;
    std::mutex lock;
    std::multimap<std::uint64_t, std::function<void()>> actions;
};

} // namespace testing_support
