#pragma once
// Local time and the conversions between calendar fields and 100-ns counts since 1601-01-01, on
// the proleptic Gregorian calendar, as Windows computes them.

#include "platform/win32/types.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;     // 1 = January
    WORD wDayOfWeek; // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// The wall-clock time in the process's time zone (TZ, else /etc/localtime), to the millisecond.
void GetLocalTime(SYSTEMTIME* time);
// Fails with ERROR_INVALID_PARAMETER for a year outside 1601..30827 or a field out of its range;
// wDayOfWeek is ignored.
BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* fileTime);
// Fails with ERROR_INVALID_PARAMETER for counts of 2^63 and above.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* time);
