#include "platform/win32/events.h"

#include <gtest/gtest.h>
#include <thread>

#include "platform/win32/last_error.h"
#include "platform/win32/poll_wait.h"
#include "tests/support/virtual_clock.h"

namespace {

TEST(Events, ManualResetStaysSetAutoResetReleasesOneWait) {
    HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE automatic = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    ASSERT_TRUE(manual && automatic);

    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(manual));
    EXPECT_TRUE(SetEvent(manual)); // setting twice is still one state, not a count
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);
    SetEvent(automatic);
    SetEvent(automatic);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);

    EXPECT_TRUE(CloseHandle(manual));
    EXPECT_TRUE(CloseHandle(automatic));
    SetLastError(0);
    EXPECT_FALSE(SetEvent(manual));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Events, WaitEndsWhenAnotherThreadSetsOrAfterItsTimeOut) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::uint64_t start = win32::RealNowMs();
    EXPECT_EQ(WaitForSingleObject(event, 40), WAIT_TIMEOUT);
    EXPECT_GE(win32::RealNowMs() - start, 40u);

    std::thread setter([event] {
        Sleep(30);
        SetEvent(event);
    });
    start = win32::RealNowMs();
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    EXPECT_LT(win32::RealNowMs() - start, 2000u);
    setter.join();
    CloseHandle(event);
}

TEST(Events, VirtualClockLetsAnUnsetEventTimeOutWithoutBlocking) {
    testing_support::VirtualClock clock(5000);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::uint64_t start = win32::RealNowMs();
    EXPECT_EQ(WaitForSingleObject(event, 60000), WAIT_TIMEOUT);
    EXPECT_EQ(GetTickCount(), 65000u);
    EXPECT_LT(win32::RealNowMs() - start, 1000u);
    SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 60000), WAIT_OBJECT_0);
    EXPECT_EQ(GetTickCount(), 65000u);
    CloseHandle(event);
}

TEST(Events, UnsupportedNamedEventFailsLoudly) {
    EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, u"Global\\x"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

} // namespace
