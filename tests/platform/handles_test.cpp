#include "platform/win32/handles.h"

#include <gtest/gtest.h>

#include "platform/win32/clock.h"
#include "platform/win32/last_error.h"
#include "tests/support/virtual_clock.h"

namespace {

struct Counted : win32::KernelObject {
    int* closes;
    explicit Counted(int* closes) : closes(closes) {}
    BOOL Close() override {
        ++*closes;
        return TRUE;
    }
};

TEST(Handles, CloseOnceThenInvalid) {
    int closes = 0;
    HANDLE handle = win32::RegisterHandle(std::make_shared<Counted>(&closes));
    EXPECT_TRUE(win32::LookupHandle(handle));
    EXPECT_TRUE(CloseHandle(handle));
    EXPECT_EQ(closes, 1);
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(handle));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(closes, 1);
}

TEST(Handles, UnknownAndUnwaitableHandlesFailTheWait) {
    for (HANDLE bogus : {HANDLE(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x12345)}) {
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(bogus, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    int closes = 0;
    HANDLE plain = win32::RegisterHandle(std::make_shared<Counted>(&closes));
    EXPECT_EQ(WaitForSingleObject(plain, 10), WAIT_FAILED);
    CloseHandle(plain);
}

TEST(Clock, VirtualClockDrivesTickAndSleep) {
    DWORD realBefore = GetTickCount();
    {
        testing_support::VirtualClock clock(0xFFFFFFF0ull);
        EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
        Sleep(0x20); // wraps like the Windows tick
        EXPECT_EQ(GetTickCount(), 0x10u);
    }
    EXPECT_EQ(&win32::CurrentClock(), &win32::SystemClock()) << "the real clock is back";
    EXPECT_LT(GetTickCount() - realBefore, 10000u) << "and the tick goes on from the real one";
}

TEST(Clock, RealSleepWaitsAtLeastItsTime) {
    DWORD start = GetTickCount();
    Sleep(30);
    DWORD spent = GetTickCount() - start;
    EXPECT_GE(spent, 29u);
    EXPECT_LT(spent, 1000u);
}

TEST(Handles, WaitForTimeOutMovesAVirtualClockInsteadOfBlocking) {
    testing_support::VirtualClock clock(5000);
    EXPECT_EQ(win32::WaitForTimeOut(250), WAIT_TIMEOUT);
    EXPECT_EQ(GetTickCount(), 5250u);
    EXPECT_EQ(win32::WaitForTimeOut(0), WAIT_TIMEOUT);
    EXPECT_EQ(GetTickCount(), 5250u);
    SetLastError(0);
    EXPECT_EQ(win32::WaitForTimeOut(INFINITE), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetTickCount(), 5250u);
}

} // namespace
