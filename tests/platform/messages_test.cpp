#include "platform/win32/messages.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/win32/last_error.h"
#include "tests/support/recording_pump.h"

namespace {

using testing_support::RecordingPump;

TEST(Messages, WithoutAPumpTheQueueIsEmpty) {
    MSG message{};
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(TranslateMessage(&message));
    EXPECT_EQ(DispatchMessageW(&message), 0);
}

TEST(Messages, PeekRemovesOnlyWithPmRemoveAndDispatchReachesThePump) {
    RecordingPump pump;
    pump.queue = {0x113, 0x200};
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, 0x113u);
    EXPECT_EQ(pump.queue.size(), 2u);
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(TranslateMessage(&message));
    EXPECT_EQ(DispatchMessageW(&message), 0x226);
    EXPECT_EQ(pump.queue.size(), 1u);
    ASSERT_EQ(pump.dispatched.size(), 1u);
    EXPECT_EQ(pump.dispatched[0].first, 0x113u);

    SetLastError(0);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, 0x4));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(pump.queue.size(), 1u);
}

TEST(Messages, OtherThreadsSeeAnEmptyQueue) {
    RecordingPump pump;
    pump.queue = {0x113};
    BOOL found = TRUE;
    std::thread other([&] {
        MSG message{};
        found = PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
    });
    other.join();
    EXPECT_FALSE(found);
    EXPECT_EQ(pump.queue.size(), 1u);
}

} // namespace
