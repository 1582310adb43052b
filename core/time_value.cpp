#include "core/time_value.h"

static_assert(sizeof(TimeValue) == sizeof(FILETIME), "a TimeValue is handed to the platform as a FILETIME");

TimeValue SpanMillisecond(0, 0);
TimeValue SpanSecond(0, 0);
TimeValue SpanMinute(0, 0);
TimeValue SpanHour(0, 0);
TimeValue SpanDay(0, 0);
TimeValue Epoch1970(0, 0);

const char* const WeekdayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const MonthNames[13] = {"",    "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

void InitTimeConstants() {
    SpanMillisecond.SetCount(10000ULL);
    SpanSecond.SetCount(1000ULL * SpanMillisecond.Count());
    SpanMinute.SetCount(60ULL * SpanSecond.Count());
    SpanHour.SetCount(60ULL * SpanMinute.Count());
    SpanDay.SetCount(24ULL * SpanHour.Count());
    Epoch1970 = MakeDate(1970, 1, 1);
}

namespace {
// Sets the constants among the static initialisers, before main.
const bool timeConstantsSet = (InitTimeConstants(), true);
} // namespace

void TimeValue::SetCount(std::uint64_t count) {
    low = static_cast<std::uint32_t>(count);
    high = static_cast<std::uint32_t>(count >> 32);
}

TimeValue TimeValue::Truncate(std::uint32_t unit) {
    std::uint64_t wide = unit;
    SetCount(Count() / wide * wide);
    return *this;
}

TimeValue& TimeValue::RoundToMs() {
    *this = *this + TimeValue(5000, 0); // half a millisecond
    Truncate(10000);
    return *this;
}

TimeValue operator+(const TimeValue& left, const TimeValue& right) {
    TimeValue sum(0, 0);
    sum.SetCount(left.Count() + right.Count());
    return sum;
}

TimeValue RoundToMs(TimeValue& value) {
    return value.RoundToMs();
}

TimeValue SystemTimeToTimeValue(const SYSTEMTIME& time) {
    FILETIME fileTime{0, 0};
    SystemTimeToFileTime(&time, &fileTime);
    return TimeValue(fileTime);
}

bool TimeValueToSystemTime(const TimeValue& value, SYSTEMTIME& out) {
    FILETIME fileTime = value.ToFileTime();
    return FileTimeToSystemTime(&fileTime, &out) != FALSE;
}

TimeValue MakeDate(std::int32_t year, std::uint8_t month, std::uint8_t day) {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = month;
    date.wDay = day;
    return SystemTimeToTimeValue(date);
}

TimeValue NowLocal(TimeValue offset) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    TimeValue value = SystemTimeToTimeValue(now);
    RoundToMs(value);
    return value + offset;
}
