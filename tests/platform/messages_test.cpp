#include "platform/win32/messages.h"

#include <gtest/gtest.h>

#include <deque>
#include <thread>
#include <vector>

#include "platform/win32/last_error.h"

namespace {

// A queue of numbered messages; records what is translated and dispatched.
struct QueuePump : win32::MessagePump {
    std::deque<MSG> queue;
    std::vector<UINT> translated, dispatched;

    void Post(UINT number) { queue.push_back(MSG{nullptr, number, 0, 0, 0, {0, 0}}); }
    bool Peek(MSG& message, HWND, UINT, UINT, UINT remove) override {
        if (queue.empty()) return false;
        message = queue.front();
        if (remove == PM_REMOVE) queue.pop_front();
        return true;
    }
    bool Translate(const MSG& message) override {
        translated.push_back(message.message);
        return false;
    }
    LRESULT Dispatch(const MSG& message) override {
        dispatched.push_back(message.message);
        return static_cast<LRESULT>(message.message) * 2;
    }
};

struct InstalledPump {
    QueuePump pump;
    InstalledPump() { win32::InstallMessagePump(&pump); }
    ~InstalledPump() { win32::InstallMessagePump(nullptr); }
};

TEST(Messages, WithoutAPumpTheQueueIsEmpty) {
    MSG message{};
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(TranslateMessage(&message));
    EXPECT_EQ(DispatchMessageW(&message), 0);
}

TEST(Messages, PeekRemovesOnlyWithPmRemoveAndDispatchReachesThePump) {
    InstalledPump installed;
    installed.pump.Post(0x113);
    installed.pump.Post(0x200);
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, 0x113u);
    EXPECT_EQ(installed.pump.queue.size(), 2u);
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(TranslateMessage(&message));
    EXPECT_EQ(DispatchMessageW(&message), 0x226);
    EXPECT_EQ(installed.pump.queue.size(), 1u);
    EXPECT_EQ(installed.pump.dispatched, std::vector<UINT>{0x113});

    SetLastError(0);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, 0x4));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(installed.pump.queue.size(), 1u);
}

TEST(Messages, OtherThreadsSeeAnEmptyQueue) {
    InstalledPump installed;
    installed.pump.Post(0x113);
    BOOL found = TRUE;
    std::thread other([&] {
        MSG message{};
        found = PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
    });
    other.join();
    EXPECT_FALSE(found);
    EXPECT_EQ(installed.pump.queue.size(), 1u);
}

} // namespace
