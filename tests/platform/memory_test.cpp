#include "platform/win32/memory.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

#include "platform/win32/last_error.h"
#include "platform/win32/processes.h"

namespace {

unsigned long long ResidentFromStatm() {
    std::ifstream statm("/proc/self/statm");
    unsigned long long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<unsigned long long>(::sysconf(_SC_PAGESIZE));
}

TEST(Memory, WorkingSetIsTheResidentSetAndGrowsWithTouchedMemory) {
    HANDLE self = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId());
    ASSERT_NE(self, nullptr);
    PROCESS_MEMORY_COUNTERS before{};
    ASSERT_TRUE(GetProcessMemoryInfo(self, &before, sizeof before));
    unsigned long long resident = ResidentFromStatm();
    EXPECT_NEAR(static_cast<double>(before.WorkingSetSize), static_cast<double>(resident), 4.0 * 1024 * 1024);
    EXPECT_GE(before.PeakWorkingSetSize, before.WorkingSetSize);
    EXPECT_GT(before.PageFaultCount, 0u);

    constexpr std::size_t size = 64 << 20;
    std::unique_ptr<char[]> block(new char[size]);
    std::memset(block.get(), 1, size);
    PROCESS_MEMORY_COUNTERS after{};
    ASSERT_TRUE(GetProcessMemoryInfo(self, &after, sizeof after));
    EXPECT_GE(after.WorkingSetSize, before.WorkingSetSize + size - (8 << 20));
    EXPECT_EQ(after.cb, sizeof after);
    CloseHandle(self);
}

TEST(Memory, QueriesRefuseShortRecordsAndUnknownHandles) {
    HANDLE self = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId());
    PROCESS_MEMORY_COUNTERS counters{};
    EXPECT_FALSE(GetProcessMemoryInfo(self, &counters, 40 - 1));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    CloseHandle(self);
    EXPECT_FALSE(GetProcessMemoryInfo(self, &counters, sizeof counters));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    MEMORYSTATUSEX status{};
    status.dwLength = 40;
    EXPECT_FALSE(GlobalMemoryStatusEx(&status));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, 0x7FFFFFF0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Memory, MachineFiguresComeFromTheKernel) {
    static_assert(sizeof(MEMORYSTATUSEX) == 64);
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_GT(status.ullTotalPhys, 16ULL << 20);
    EXPECT_GT(status.ullAvailPhys, 0u);
    EXPECT_LE(status.ullAvailPhys, status.ullTotalPhys);
    EXPECT_GE(status.ullTotalPageFile, status.ullTotalPhys);
    EXPECT_GE(status.ullAvailPageFile, status.ullAvailPhys);
    EXPECT_LE(status.dwMemoryLoad, 100u);
    // This process maps something, so less than the whole address space is left.
    EXPECT_LT(status.ullAvailVirtual, status.ullTotalVirtual);
    EXPECT_GT(status.ullAvailVirtual, status.ullTotalVirtual / 2);
}

} // namespace
