#include "core/time_value.h"

#include <gtest/gtest.h>

#include <regex>

#include "tests/support/system_time.h"

namespace {

TimeValue At(int year, int month, int day, int hour, int minute, int second, int ms) {
    return SystemTimeToTimeValue(testing_support::Date(year, month, day, hour, minute, second, ms));
}

TimeValue OfCount(unsigned long long count) {
    return TimeValue(static_cast<unsigned>(count), static_cast<unsigned>(count >> 32));
}

TEST(TimeValue, ConstantsAreSetBeforeMain) {
    EXPECT_EQ(SpanMillisecond.Count(), 10000u);
    EXPECT_EQ(SpanSecond.Count(), 10000000u);
    EXPECT_EQ(SpanMinute.Count(), 600000000u);
    EXPECT_EQ(SpanHour.Count(), 36000000000u);
    EXPECT_EQ(SpanDay.Count(), 24 * SpanHour.Count());
    EXPECT_EQ(Epoch1970.Count(), 116444736000000000u);
    EXPECT_EQ(MakeDate(1970, 1, 1).Count(), Epoch1970.Count());
}

TEST(TimeValue, SumCarriesAndWraps) {
    TimeValue sum = TimeValue(0xFFFFFFFF, 7) + TimeValue(1, 0);
    EXPECT_EQ(sum.low, 0u);
    EXPECT_EQ(sum.high, 8u);
    TimeValue wrapped = TimeValue(0xFFFFFFFF, 0xFFFFFFFF) + TimeValue(3, 0);
    EXPECT_EQ(wrapped.Count(), 2u);
    FILETIME fileTime{0x89ABCDEF, 0x01234567};
    EXPECT_EQ(TimeValue(fileTime).Count(), 0x0123456789ABCDEFu);
}

TEST(TimeValue, RoundingToTheMillisecondTakesHalvesUp) {
    const std::pair<unsigned long long, unsigned long long> rows[] = {
        {4999, 0}, {5000, 10000}, {14999, 10000}, {15000, 20000}, {0xFFFFFFFFull, 4294970000ull}};
    for (auto [in, out] : rows) {
        TimeValue value = OfCount(in);
        EXPECT_EQ(RoundToMs(value).Count(), out) << in;
        EXPECT_EQ(value.Count(), out) << "rounds in place: " << in;
        TimeValue again = OfCount(in);
        EXPECT_EQ(&again.RoundToMs(), &again);
        EXPECT_EQ(again.Count(), out);
    }
    TimeValue value(25, 0);
    EXPECT_EQ(value.Truncate(10).Count(), 20u);
    EXPECT_EQ(value.Count(), 20u);
    // The unit widens without sign: 0x80000000 is 2^31, not a negative number.
    TimeValue large = OfCount(0x180000001ull);
    EXPECT_EQ(large.Truncate(0x80000000u).Count(), 0x180000000ull);
}

TEST(TimeValue, SystemTimeConversionsAndRefusedDates) {
    SYSTEMTIME out{};
    ASSERT_TRUE(TimeValueToSystemTime(At(2024, 3, 7, 14, 5, 9, 42), out));
    EXPECT_EQ(out.wDayOfWeek, 4);
    EXPECT_EQ(out.wMilliseconds, 42);
    EXPECT_FALSE(TimeValueToSystemTime(OfCount(1ull << 63), out));
    // Refused dates give a defined value: zero.
    EXPECT_EQ(MakeDate(2023, 2, 29).Count(), 0u);
    EXPECT_EQ(MakeDate(1970, 13, 1).Count(), 0u);
    // Only the year's low 16 bits count: 65536 + 2000 is 2000.
    EXPECT_EQ(MakeDate(65536 + 2000, 1, 1).Count(), MakeDate(2000, 1, 1).Count());
}

TEST(TimeValue, NowLocalIsWholeMillisecondsPlusOffset) {
    TimeValue now = NowLocal(TimeValue(0, 0));
    EXPECT_EQ(now.Count() % 10000, 0u);
    EXPECT_GT(now.Count(), MakeDate(2020, 1, 1).Count());
    TimeValue later = NowLocal(SpanDay);
    long long difference = static_cast<long long>(later.Count() - now.Count() - SpanDay.Count());
    EXPECT_GE(difference, 0);
    EXPECT_LT(difference, 10 * 10000000LL);
}

TEST(FormatFileTime, FixedStyles) {
    TimeValue value = At(2024, 3, 7, 14, 5, 9, 42);
    EXPECT_EQ(FormatFileTime(value, nullptr, 1), "2024.03.07 14:05:09");
    EXPECT_EQ(FormatFileTime(value, nullptr, 2), "2024.03.07 14:05");
    EXPECT_EQ(FormatFileTime(value, nullptr, 3), "2024.03.07");
    EXPECT_EQ(FormatFileTime(value, nullptr, 4), "2024.03.07 14:05:09.042");
    EXPECT_EQ(FormatFileTime(At(2024, 3, 7, 0, 0, 0, 0), nullptr, 4), "2024.03.07 00:00:00.000");
    EXPECT_EQ(FormatFileTime(At(2024, 3, 7, 0, 0, 0, 7), nullptr, 4), "2024.03.07 00:00:00.007");
    EXPECT_EQ(FormatFileTime(At(30000, 12, 31, 23, 59, 59, 999), nullptr, 4), "30000.12.31 23:59:59.999");
    EXPECT_EQ(FormatFileTime(At(1601, 1, 1, 0, 0, 0, 0), nullptr, 3), "1601.01.01");
    // A stamp of the live clock has the log's shape.
    std::string stamp = FormatFileTime(NowLocal(TimeValue(0, 0)), nullptr, 4);
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d\.\d{3})"))) << stamp;
}

TEST(FormatFileTime, PatternLetters) {
    TimeValue value = At(2024, 3, 7, 14, 5, 9, 42);
    const std::pair<const char*, const char*> rows[] = {
        {"Y.M.D h:m:s", "2024.03.07 14:05:09"},
        {"d, D o Y", "Thu, 07 Mar 2024"},
        {"Time: h:m", "Ti05e: 14:05"}, // letters inside words expand too
        {"YY", "20242024"},
        {"l|y", "042|24"},
        {"", ""},
        {"abc xz!", "abc xz!"},
    };
    for (auto [pattern, text] : rows)
        EXPECT_EQ(FormatFileTime(value, pattern, 0), text) << pattern;

    EXPECT_EQ(FormatFileTime(At(2007, 1, 5, 0, 0, 0, 5), "D.M.y l", 0), "05.01.7 005");
    EXPECT_EQ(FormatFileTime(At(2000, 12, 31, 0, 0, 0, 0), "y o d", 0), "0 Dec Sun");
    EXPECT_EQ(FormatFileTime(At(1999, 1, 1, 0, 0, 0, 0), "y", 0), "-1");
}

TEST(FormatFileTime, UndefinedInputsGiveTheEmptyText) {
    TimeValue value = At(2024, 3, 7, 14, 5, 9, 42);
    for (int style : {-1, 5, 100})
        EXPECT_EQ(FormatFileTime(value, "Y", style), "") << style;
    EXPECT_EQ(FormatFileTime(value, nullptr, 0), "");
    EXPECT_EQ(FormatFileTime(OfCount(1ull << 63), nullptr, 4), "");
    EXPECT_EQ(FormatFileTime(OfCount(1ull << 63), "Y", 0), "");
}

} // namespace
