#include "core/checked_alloc.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include "core/reporting/exception_report.h"
#include "tests/support/current_folder.h"
#include "tests/support/log_text.h"

namespace {

using testing_support::IsGroupedFigure;
using testing_support::LogTexts;

void* NoMemory(std::size_t) {
    return nullptr;
}

// Makes every checked allocation fail for the guard's life.
struct ExhaustedHeap {
    ExhaustedHeap() { CheckedAllocator = NoMemory; }
    ~ExhaustedHeap() { CheckedAllocator = std::malloc; }
};

TEST(CheckedAlloc, GivesATrackedBlockWhenMemoryIsThere) {
    testing_support::TemporaryCurrentFolder folder;
    auto* block = static_cast<unsigned char*>(CheckedMalloc(1000, "Buffer::ReAlloc"));
    ASSERT_NE(block, nullptr);
    block[0] = block[999] = 7; // the whole size is usable (the sanitizer build checks the bounds)
    UntrackAlloc(block);
    std::free(block);
    UntrackAlloc(nullptr);
    EXPECT_EQ(folder.Read("log.txt"), ""); // success logs nothing
}

TEST(CheckedAlloc, FailureLogsTheFiguresThenReportsAndThrowsZero) {
    testing_support::TemporaryCurrentFolder folder;
    {
        ExhaustedHeap exhausted;
        try {
            CheckedMalloc(1000, "Buffer::ReAlloc");
            FAIL() << "a failed allocation must throw";
        } catch (int thrown) {
            EXPECT_EQ(thrown, 0);
        }
    }
    auto lines = LogTexts(folder.Read("log.txt"));
    ASSERT_EQ(lines.size(), 7u) << folder.Read("log.txt");
    EXPECT_EQ(lines[0], "Unsuccessful memory alloc in Buffer::ReAlloc:\t1000");
    const char* keys[] = {"Memory load", "ullAvailPhys", "ullAvailPage", "ullAvailVirt"};
    for (int i = 0; i < 4; ++i) {
        std::string key = std::string(keys[i]) + ":\t";
        ASSERT_EQ(lines[1 + i].substr(0, key.size()), key);
        EXPECT_TRUE(IsGroupedFigure(lines[1 + i].substr(key.size()))) << lines[1 + i];
    }
    EXPECT_EQ(lines[5], "EXCEPTION !!! malloc");
    EXPECT_EQ(lines[6], "Closing logs"); // the failing call's own log closed on the way out
}

TEST(CheckedAlloc, TagIsWrittenAsItsOwnCodePageBytes) {
    testing_support::TemporaryCurrentFolder folder;
    ExhaustedHeap exhausted;
    EXPECT_THROW(CheckedMalloc(4000000000u, "\xC1\xF3\xF4\xE5\xF0"), int); // "Буфер" in 1251
    auto lines = LogTexts(folder.Read("log.txt"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Unsuccessful memory alloc in \xC1\xF3\xF4\xE5\xF0:\t4000000000");
}

} // namespace
