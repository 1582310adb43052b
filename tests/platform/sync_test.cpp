#include "platform/win32/sync.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>
#include <vector>

namespace {

TEST(Sync, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    // Whether another thread finds the section taken; it takes and leaves it when free.
    auto heldForOthers = [&] {
        int tried = 0;
        std::thread([&] {
            tried = pthread_mutex_trylock(&section.mutex);
            if (tried == 0) pthread_mutex_unlock(&section.mutex);
        }).join();
        return tried == EBUSY;
    };
    EXPECT_FALSE(heldForOthers());
    EnterCriticalSection(&section);
    EnterCriticalSection(&section); // the holder enters again without blocking
    EXPECT_TRUE(heldForOthers());
    LeaveCriticalSection(&section);
    EXPECT_TRUE(heldForOthers()) << "one Leave of two must keep the section held";

    bool entered = false;
    std::thread other([&] {
        EnterCriticalSection(&section);
        entered = true;
        LeaveCriticalSection(&section);
    });
    LeaveCriticalSection(&section);
    other.join();
    EXPECT_TRUE(entered);
    EXPECT_FALSE(heldForOthers());
    DeleteCriticalSection(&section);
}

TEST(Sync, InterlockedCountersReturnTheNewValueAndLoseNoStep) {
    LONG volatile counter = 0;
    EXPECT_EQ(InterlockedIncrement(&counter), 1);
    EXPECT_EQ(InterlockedDecrement(&counter), 0);
    EXPECT_EQ(InterlockedDecrement(&counter), -1);
    EXPECT_EQ(InterlockedIncrement(&counter), 0);

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                InterlockedIncrement(&counter);
                InterlockedIncrement(&counter);
                InterlockedDecrement(&counter);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 4 * 20000);
}

} // namespace
