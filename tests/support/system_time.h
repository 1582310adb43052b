#pragma once
// Calendar fields as tests write them; the weekday is left for the conversions to work out.

#include "platform/win32/time.h"

namespace testing_support {

inline SYSTEMTIME Date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                       int ms = 0) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    time.wMilliseconds = static_cast<WORD>(ms);
    return time;
}

} // namespace testing_support
