#include "platform/win32/time.h"

#include <ctime>

#include "platform/win32/last_error.h"

namespace {

constexpr unsigned long long UnitsPerMillisecond = 10000;
constexpr unsigned long long MillisecondsPerDay = 86400000;
// Days from 1601-01-01 to 1970-01-01.
constexpr long long DaysFrom1601To1970 = 134774;
constexpr int FirstYear = 1601;
constexpr int LastYear = 30827;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (years counted from March, so the leap day
// ends each 400-year era's year).
long long DaysFromCivil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    long long era = (year >= 0 ? year : year - 399) / 400;
    unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

// The inverse of DaysFromCivil, for day counts from 1601 on (never negative eras here).
void CivilFromDays(long long days, SYSTEMTIME& out) {
    days += 719468;
    long long era = days / 146097;
    unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned monthFromMarch = (5 * dayOfYear + 2) / 153;
    unsigned month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    out.wYear = static_cast<WORD>(static_cast<long long>(yearOfEra) + era * 400 + (month <= 2));
    out.wMonth = static_cast<WORD>(month);
    out.wDay = static_cast<WORD>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
}

bool IsValid(const SYSTEMTIME& time) {
    if (time.wYear < FirstYear || time.wYear > LastYear) return false;
    if (time.wMonth < 1 || time.wMonth > 12) return false;
    if (time.wDay < 1 || time.wDay > DaysInMonth(time.wYear, time.wMonth)) return false;
    return time.wHour < 24 && time.wMinute < 60 && time.wSecond < 60 && time.wMilliseconds < 1000;
}

} // namespace

void GetLocalTime(SYSTEMTIME* time) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    // A leap second shows as :60 in struct tm; Windows never reports one.
    time->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
    time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* fileTime) {
    if (!time || !fileTime || !IsValid(*time)) return win32::FailWith(ERROR_INVALID_PARAMETER);
    auto days = static_cast<unsigned long long>(DaysFromCivil(time->wYear, time->wMonth, time->wDay) +
                                                DaysFrom1601To1970);
    unsigned long long ms = days * MillisecondsPerDay +
                            ((time->wHour * 60ULL + time->wMinute) * 60ULL + time->wSecond) * 1000ULL +
                            time->wMilliseconds;
    unsigned long long count = ms * UnitsPerMillisecond;
    fileTime->dwLowDateTime = static_cast<DWORD>(count);
    fileTime->dwHighDateTime = static_cast<DWORD>(count >> 32);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* time) {
    if (!fileTime || !time || (fileTime->dwHighDateTime & 0x80000000u))
        return win32::FailWith(ERROR_INVALID_PARAMETER);
    unsigned long long count =
        (static_cast<unsigned long long>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
    unsigned long long ms = count / UnitsPerMillisecond;
    unsigned long long days = ms / MillisecondsPerDay;
    unsigned long long inDay = ms % MillisecondsPerDay;
    CivilFromDays(static_cast<long long>(days) - DaysFrom1601To1970, *time);
    time->wDayOfWeek = static_cast<WORD>((days + 1) % 7); // 1601-01-01 was a Monday
    time->wHour = static_cast<WORD>(inDay / 3600000);
    time->wMinute = static_cast<WORD>(inDay / 60000 % 60);
    time->wSecond = static_cast<WORD>(inDay / 1000 % 60);
    time->wMilliseconds = static_cast<WORD>(inDay % 1000);
    return TRUE;
}
