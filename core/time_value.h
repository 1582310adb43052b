#pragma once
// A date-time or a span as one 64-bit count of 100-ns units, laid out as a FILETIME. As a point in
// time it counts from 1601-01-01 00:00:00 and holds local wall-clock time (no time zone applied).

#include <cstdint>
#include <string>

#include "platform/win32/time.h"
#include "platform/win32/types.h"

class TimeValue {
  public:
    constexpr TimeValue(unsigned low, unsigned high) : low(low), high(high) {}
    TimeValue(const TimeValue&) = default;
    TimeValue(const FILETIME& fileTime) : low(fileTime.dwLowDateTime), high(fileTime.dwHighDateTime) {}
    TimeValue& operator=(const TimeValue&) = default;

    std::uint64_t Count() const { return (static_cast<std::uint64_t>(high) << 32) | low; }
    void SetCount(std::uint64_t count);
    FILETIME ToFileTime() const { return FILETIME{low, high}; }

    // value := (value div unit) x unit; gives the new value.
    TimeValue Truncate(std::uint32_t unit);
    // Rounds to the nearest millisecond, halves upward; gives this object.
    TimeValue& RoundToMs();

    std::uint32_t low;
    std::uint32_t high;
};

// Units of 100 ns, set once by InitTimeConstants during static initialisation.
extern TimeValue SpanMillisecond;
extern TimeValue SpanSecond;
extern TimeValue SpanMinute;
extern TimeValue SpanHour;
extern TimeValue SpanDay;
extern TimeValue Epoch1970;
void InitTimeConstants();

// Three-letter names: weekday 0 = Sunday; month 1 = January (slot 0 is empty).
extern const char* const WeekdayNames[7];
extern const char* const MonthNames[13];

// The 64-bit sum; wraps beyond 2^64 - 1.
TimeValue operator+(const TimeValue& left, const TimeValue& right);
// Rounds in place to the nearest millisecond (halves upward) and gives the new value.
TimeValue RoundToMs(TimeValue& value);

// A refused SYSTEMTIME gives the zero value.
TimeValue SystemTimeToTimeValue(const SYSTEMTIME& time);
bool TimeValueToSystemTime(const TimeValue& value, SYSTEMTIME& out);
// Midnight at the start of the date (year's low 16 bits); a refused date gives the zero value.
TimeValue MakeDate(std::int32_t year, std::uint8_t month, std::uint8_t day);

// The local wall-clock time, to the millisecond, plus offset.
TimeValue NowLocal(TimeValue offset);

// Styles 1 to 4: "Y.MM.DD hh:mm:ss", "Y.MM.DD hh:mm", "Y.MM.DD", "Y.MM.DD hh:mm:ss.lll".
// Style 0 expands the pattern letters Y y M D h m s l d o and copies every other character.
// Other styles, a null pattern in style 0 and values from 2^63 up give the empty text.
std::string FormatFileTime(const TimeValue& value, const char* pattern, std::int32_t style);
