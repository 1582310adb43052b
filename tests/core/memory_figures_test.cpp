#include "core/memory_figures.h"

#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/current_folder.h"
#include "tests/support/log_text.h"

namespace {

TEST(MemoryFigures, OwnProcessOpenedOnceAndFigureIsTheResidentSet) {
    DWORD first = GetProcessMemoryUsage();
    HANDLE opened = OwnProcessHandle;
    EXPECT_NE(opened, INVALID_HANDLE_VALUE);
    EXPECT_NE(opened, nullptr);
    DWORD second = GetProcessMemoryUsage();
    EXPECT_EQ(OwnProcessHandle, opened);

    std::ifstream statm("/proc/self/statm");
    unsigned long long size = 0, resident = 0;
    statm >> size >> resident;
    double bytes = static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
    EXPECT_NEAR(second, bytes, 8.0 * 1024 * 1024);
    EXPECT_GT(first, 1024u * 1024u);
}

TEST(MemoryFigures, LogMemoryLoadWritesTheGroupedFigureItReturns) {
    testing_support::TemporaryCurrentFolder folder;
    DWORD figure = 0;
    {
        SimpleLog log;
        figure = LogMemoryLoad(log);
    }
    auto lines = testing_support::LogTexts(folder.Read("log.txt"));
    ASSERT_EQ(lines.size(), 2u);
    const std::string key = "Memory load:\t";
    ASSERT_EQ(lines[0].substr(0, key.size()), key);
    std::string value = lines[0].substr(key.size());
    EXPECT_TRUE(testing_support::IsGroupedFigure(value)) << value;
    std::string digits;
    for (char c : value) {
        if (c != ' ') digits += c;
    }
    // The figure returned is the one logged.
    EXPECT_EQ(digits, std::to_string(figure));
}

} // namespace
