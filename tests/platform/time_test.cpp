#include "platform/win32/time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/win32/last_error.h"
#include "tests/support/system_time.h"

namespace {

unsigned long long CountOf(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FileTimeOf(unsigned long long count) {
    return FILETIME{static_cast<DWORD>(count), static_cast<DWORD>(count >> 32)};
}

using testing_support::Date;

// Sets TZ for the life of the object.
struct TimeZoneGuard {
    std::string saved;
    bool hadValue;
    explicit TimeZoneGuard(const char* zone) {
        const char* old = std::getenv("TZ");
        hadValue = old != nullptr;
        if (old) saved = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZoneGuard() {
        if (hadValue)
            setenv("TZ", saved.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
};

TEST(Time, CountsAndWeekdaysAgreeWithTheCLibraryCalendar) {
    struct Row {
        int year, month, day, hour, minute, second, ms;
    };
    const Row rows[] = {
        {1601, 1, 1, 0, 0, 0, 0},   {1700, 2, 28, 23, 59, 59, 999}, {1700, 3, 1, 0, 0, 0, 0},
        {1900, 2, 28, 12, 0, 0, 0}, {1900, 3, 1, 0, 0, 0, 1},       {1969, 12, 31, 23, 59, 59, 999},
        {1970, 1, 1, 0, 0, 0, 0},   {2000, 2, 29, 6, 30, 0, 500},   {2024, 3, 7, 14, 5, 9, 42},
        {2038, 1, 19, 3, 14, 8, 0}, {2100, 3, 1, 0, 0, 0, 0},       {9999, 12, 31, 23, 59, 59, 999},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.year << "-" << row.month << "-" << row.day);
        tm fields{};
        fields.tm_year = row.year - 1900;
        fields.tm_mon = row.month - 1;
        fields.tm_mday = row.day;
        fields.tm_hour = row.hour;
        fields.tm_min = row.minute;
        fields.tm_sec = row.second;
        time_t unixSeconds = timegm(&fields); // also fills tm_wday
        unsigned long long expected =
            (static_cast<unsigned long long>(unixSeconds + 11644473600LL) * 1000ULL + row.ms) * 10000ULL;

        SYSTEMTIME in = Date(row.year, row.month, row.day, row.hour, row.minute, row.second, row.ms);
        FILETIME count{};
        ASSERT_TRUE(SystemTimeToFileTime(&in, &count));
        EXPECT_EQ(CountOf(count), expected);

        SYSTEMTIME out{};
        ASSERT_TRUE(FileTimeToSystemTime(&count, &out));
        EXPECT_EQ(out.wYear, row.year);
        EXPECT_EQ(out.wMonth, row.month);
        EXPECT_EQ(out.wDay, row.day);
        EXPECT_EQ(out.wHour, row.hour);
        EXPECT_EQ(out.wMinute, row.minute);
        EXPECT_EQ(out.wSecond, row.second);
        EXPECT_EQ(out.wMilliseconds, row.ms);
        EXPECT_EQ(out.wDayOfWeek, fields.tm_wday);
    }
}

TEST(Time, KnownEpochsAndSubMillisecondCounts) {
    SYSTEMTIME out{};
    FILETIME zero = FileTimeOf(0);
    ASSERT_TRUE(FileTimeToSystemTime(&zero, &out));
    EXPECT_EQ(out.wYear, 1601);
    EXPECT_EQ(out.wDayOfWeek, 1); // a Monday

    SYSTEMTIME unixStart = Date(1970, 1, 1);
    FILETIME count{};
    ASSERT_TRUE(SystemTimeToFileTime(&unixStart, &count));
    EXPECT_EQ(CountOf(count), 116444736000000000ULL);

    // Units below a millisecond are dropped, not rounded.
    FILETIME almost = FileTimeOf(116444736000000000ULL + 9999);
    ASSERT_TRUE(FileTimeToSystemTime(&almost, &out));
    EXPECT_EQ(out.wMilliseconds, 0);
    EXPECT_EQ(out.wDayOfWeek, 4); // a Thursday
}

TEST(Time, RefusesCountsFrom2To63AndInvalidFields) {
    SYSTEMTIME out{};
    FILETIME largest = FileTimeOf(0x7FFFFFFFFFFFFFFFULL);
    ASSERT_TRUE(FileTimeToSystemTime(&largest, &out));
    EXPECT_EQ(out.wYear, 30828);
    for (unsigned long long count : {0x8000000000000000ULL, 0xFFFFFFFFFFFFFFFFULL}) {
        FILETIME big = FileTimeOf(count);
        SetLastError(0);
        EXPECT_FALSE(FileTimeToSystemTime(&big, &out));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }

    const SYSTEMTIME refused[] = {
        Date(1600, 12, 31),      Date(30828, 1, 1),          Date(2024, 0, 1),
        Date(2024, 13, 1),       Date(2024, 1, 0),           Date(2023, 2, 29),
        Date(1900, 2, 29),       Date(2024, 4, 31),          Date(2024, 1, 1, 24),
        Date(2024, 1, 1, 0, 60), Date(2024, 1, 1, 0, 0, 60), Date(2024, 1, 1, 0, 0, 0, 1000),
    };
    for (const SYSTEMTIME& time : refused) {
        SCOPED_TRACE(testing::Message() << time.wYear << "-" << time.wMonth << "-" << time.wDay);
        FILETIME count = FileTimeOf(12345);
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&time, &count));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }

    SYSTEMTIME anyWeekday = Date(2024, 2, 29, 23, 59, 59, 999);
    anyWeekday.wDayOfWeek = 9; // ignored on the way in
    FILETIME count{};
    EXPECT_TRUE(SystemTimeToFileTime(&anyWeekday, &count));
}

TEST(Time, LocalTimeFollowsTheTimeZone) {
    TimeZoneGuard zone("<+03>-3");
    // time() may read a coarse clock that lags the one GetLocalTime reads; compare like with like.
    auto realSeconds = [] {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        return static_cast<long long>(now.tv_sec);
    };
    long long before = realSeconds();
    SYSTEMTIME local{};
    GetLocalTime(&local);
    long long after = realSeconds();

    FILETIME count{};
    ASSERT_TRUE(SystemTimeToFileTime(&local, &count));
    long long localSeconds = static_cast<long long>(CountOf(count) / 10000000ULL) - 11644473600LL;
    EXPECT_GE(localSeconds, before + 3 * 3600);
    EXPECT_LE(localSeconds, after + 3 * 3600);
    EXPECT_LT(local.wMilliseconds, 1000);

    SYSTEMTIME check{};
    ASSERT_TRUE(FileTimeToSystemTime(&count, &check));
    EXPECT_EQ(local.wDayOfWeek, check.wDayOfWeek);
}

} // namespace
