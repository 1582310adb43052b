// Fuzz links: core
// FormatFileTime over any value, style and pattern: letters expand to the calendar date that the C++
// calendar library gives for the same day count, every other character is copied, a pattern
// formats piece by piece, the numbered styles equal their patterns, values from 2^63 up and
// unknown styles give nothing, and the value comes back from its date to the millisecond.

#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "core/time_value.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr std::uint64_t UnitsPerMs = 10000;
constexpr std::uint64_t MsPerDay = 86400000;
// Days from 1601-01-01 to 1970-01-01, the calendar library's epoch.
constexpr long long DaysFrom1601 = 134774;

TimeValue ValueOf(std::uint64_t count) {
    TimeValue value(0, 0);
    value.SetCount(count);
    return value;
}

// "Y.M.D h:m:s.l d o y" as the calendar library and plain arithmetic spell it.
std::string ExpectedText(std::uint64_t count) {
    using namespace std::chrono;
    std::uint64_t ms = count / UnitsPerMs, inDay = ms % MsPerDay;
    sys_days day{days{static_cast<long long>(ms / MsPerDay) - DaysFrom1601}};
    year_month_day date{day};
    int year = static_cast<int>(date.year());
    unsigned month = static_cast<unsigned>(date.month());
    char text[96];
    std::snprintf(text, sizeof text, "%d.%02u.%02u %02u:%02u:%02u.%03u %s %s %d", year, month,
                  static_cast<unsigned>(date.day()), static_cast<unsigned>(inDay / 3600000),
                  static_cast<unsigned>(inDay / 60000 % 60), static_cast<unsigned>(inDay / 1000 % 60),
                  static_cast<unsigned>(inDay % 1000), WeekdayNames[weekday(day).c_encoding()],
                  MonthNames[month], year - 2000);
    return text;
}

bool HasLetters(const std::string& pattern) {
    return pattern.find_first_of("YyMDhmsldo") != std::string::npos;
}

void CheckPattern(const TimeValue& value, const std::string& pattern, std::size_t split) {
    std::string whole = FormatFileTime(value, pattern.c_str(), 0);
    if (!HasLetters(pattern)) FUZZ_CHECK(whole == pattern);
    split = std::min(split, pattern.size());
    std::string head = pattern.substr(0, split), tail = pattern.substr(split);
    FUZZ_CHECK(whole == FormatFileTime(value, head.c_str(), 0) + FormatFileTime(value, tail.c_str(), 0));
}

void CheckStyles(const TimeValue& value) {
    static const char* const patterns[] = {"Y.M.D h:m:s", "Y.M.D h:m", "Y.M.D", "Y.M.D h:m:s.l"};
    for (int style = 1; style <= 4; ++style)
        FUZZ_CHECK(FormatFileTime(value, nullptr, style) == FormatFileTime(value, patterns[style - 1], 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    auto count = input.ConsumeIntegral<std::uint64_t>();
    auto style = input.ConsumeIntegral<std::int32_t>();
    auto split = input.ConsumeIntegral<std::uint8_t>();
    std::string pattern = input.ConsumeRemainingBytesAsString();
    pattern = pattern.substr(0, pattern.find('\0'));
    TimeValue value = ValueOf(count);

    std::string styled = FormatFileTime(value, pattern.c_str(), style);
    FUZZ_CHECK(FormatFileTime(value, nullptr, 0).empty());
    if (style < 0 || style > 4) FUZZ_CHECK(styled.empty());
    if (count >> 63) {
        FUZZ_CHECK(styled.empty() && FormatFileTime(value, "Y", 0).empty());
        return 0;
    }
    CheckPattern(value, pattern, split);
    CheckStyles(value);
    FUZZ_CHECK(FormatFileTime(value, "Y.M.D h:m:s.l d o y", 0) == ExpectedText(count));
    SYSTEMTIME date{};
    FUZZ_CHECK(TimeValueToSystemTime(value, date));
    // As on Windows, the last months below 2^63 (year 30828) have a date that is not taken back.
    if (date.wYear <= 30827) FUZZ_CHECK(SystemTimeToTimeValue(date).Count() == count - count % UnitsPerMs);
    return 0;
}
