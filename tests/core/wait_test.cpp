#include "core/wait.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/ticks.h"
#include "platform/win32/clock.h"
#include "platform/win32/handles.h"
#include "platform/win32/messages.h"
#include "tests/support/recording_pump.h"
#include "tests/support/virtual_clock.h"

namespace {

using testing_support::RecordingPump;
using testing_support::VirtualClock;

// Signalled once `waits` waits have timed out; each of those lasts its full time-out.
struct SignalledLater : win32::KernelObject {
    int waits;
    explicit SignalledLater(int waits) : waits(waits) {}
    DWORD Wait(DWORD ms) override { return waits-- > 0 ? win32::WaitForTimeOut(ms) : WAIT_OBJECT_0; }
};

struct Handle {
    HANDLE value;
    explicit Handle(int waits) : value(win32::RegisterHandle(std::make_shared<SignalledLater>(waits))) {}
    ~Handle() { CloseHandle(value); }
};

TEST(TickNow, StartFollowsATickBelowIt) {
    VirtualClock clock(500);
    int start = 1000;
    EXPECT_EQ(TickNow(start), 500);
    EXPECT_EQ(start, 500);
    start = 100;
    EXPECT_EQ(TickNow(start), 500);
    EXPECT_EQ(start, 100);
    clock.Set(0x80000005ull); // the tick crosses into negative signed values
    start = 0x7FFFFFF0;
    EXPECT_EQ(TickNow(start), static_cast<int>(0x80000005u));
    EXPECT_EQ(start, static_cast<int>(0x80000005u));
}

TEST(WaitWithMessages, TimeOutEndsAtTheFirstCheckPastIt) {
    VirtualClock clock(1000);
    RecordingPump pump;
    Handle never(1 << 30);
    EXPECT_FALSE(WaitWithMessages(never.value, 25));
    EXPECT_EQ(GetTickCount(), 1030u) << "three 10-ms slices";
    EXPECT_EQ(pump.peeks, 3) << "messages served after each slice";

    clock.Set(2000);
    EXPECT_FALSE(WaitWithMessages(never.value, 30));
    EXPECT_EQ(GetTickCount(), 2030u) << "a check at exactly the time-out ends the wait";
}

TEST(WaitWithMessages, SignalEndsTheWaitAndMessagesRunMeanwhile) {
    VirtualClock clock(0xFFFFFFF0ull); // the tick wraps during the wait
    RecordingPump pump;
    pump.queue = {0x113, 0x0F};
    Handle later(4);
    EXPECT_TRUE(WaitWithMessages(later.value, 1000));
    EXPECT_EQ(GetTickCount(), 0x18u);
    ASSERT_EQ(pump.dispatched.size(), 2u);
    EXPECT_EQ(pump.dispatched[0], (std::pair<UINT, DWORD>{0x113, 0xFFFFFFFAu})) << "after the first slice";
    EXPECT_EQ(pump.dispatched[1], (std::pair<UINT, DWORD>{0x0F, 0xFFFFFFFAu}));
    EXPECT_EQ(pump.translated, (std::vector<UINT>{0x113, 0x0F}));

    clock.Set(0);
    Handle slow(500);
    EXPECT_TRUE(WaitWithMessages(slow.value, 0)) << "no limit: waits for the signal";
    EXPECT_EQ(GetTickCount(), 5000u);
}

TEST(WaitWithMessages, FailedWaitCountsAsSignalled) {
    VirtualClock clock(1000);
    RecordingPump pump;
    EXPECT_TRUE(WaitWithMessages(reinterpret_cast<HANDLE>(0x12345), 0));
    EXPECT_TRUE(WaitWithMessages(INVALID_HANDLE_VALUE, 50));
    EXPECT_EQ(GetTickCount(), 1000u);
    EXPECT_EQ(pump.peeks, 0);
}

TEST(WaitWithMessages, RealClockWaitsItsTime) {
    Handle never(1 << 30);
    DWORD start = GetTickCount();
    EXPECT_FALSE(WaitWithMessages(never.value, 25));
    DWORD spent = GetTickCount() - start;
    EXPECT_GE(spent, 25u);
    EXPECT_LT(spent, 1000u);
}

TEST(ProcessMessages, DrainsTheQueueOrReturnsAtOnceWithoutAPump) {
    ProcessMessages(); // nothing installed: returns
    RecordingPump pump;
    pump.queue = {1, 2, 3};
    ProcessMessages();
    EXPECT_TRUE(pump.queue.empty());
    EXPECT_EQ(pump.dispatched.size(), 3u);
    EXPECT_EQ(pump.peeks, 4);
}

} // namespace
