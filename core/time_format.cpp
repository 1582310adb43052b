// The text forms of a TimeValue: the log's stamp and the status records' date line.

#include <cstdio>

#include "core/time_value.h"

namespace {

// Decimal as the C library's _itoa writes it (a '-' for negative values, no padding), with zeros
// put in front up to `width` digits.
void AppendDecimal(std::string& text, int value, int width = 0) {
    char digits[16];
    int length = std::snprintf(digits, sizeof digits, "%d", value);
    for (int pad = length; pad < width; ++pad)
        text += '0';
    text += digits;
}

void AppendPiece(std::string& text, char letter, const SYSTEMTIME& time) {
    switch (letter) {
    case 'Y':
        AppendDecimal(text, time.wYear);
        break;
    case 'y':
        AppendDecimal(text, static_cast<int>(time.wYear) - 2000);
        break;
    case 'M':
        AppendDecimal(text, time.wMonth, 2);
        break;
    case 'D':
        AppendDecimal(text, time.wDay, 2);
        break;
    case 'h':
        AppendDecimal(text, time.wHour, 2);
        break;
    case 'm':
        AppendDecimal(text, time.wMinute, 2);
        break;
    case 's':
        AppendDecimal(text, time.wSecond, 2);
        break;
    case 'l':
        AppendDecimal(text, time.wMilliseconds, 3);
        break;
    case 'd':
        text += WeekdayNames[time.wDayOfWeek % 7];
        break;
    case 'o':
        text += MonthNames[time.wMonth % 13];
        break;
    default:
        text += letter;
        break;
    }
}

std::string FormatPattern(const char* pattern, const SYSTEMTIME& time) {
    std::string text;
    for (const char* letter = pattern; *letter; ++letter)
        AppendPiece(text, *letter, time);
    return text;
}

std::string FormatStyle(std::int32_t style, const SYSTEMTIME& t) {
    char text[48]; // room for five-digit fields, so the compiler can prove nothing is cut
    switch (style) {
    case 1:
        std::snprintf(text, sizeof text, "%d.%02d.%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute, t.wSecond);
        break;
    case 2:
        std::snprintf(text, sizeof text, "%d.%02d.%02d %02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute);
        break;
    case 3:
        std::snprintf(text, sizeof text, "%d.%02d.%02d", t.wYear, t.wMonth, t.wDay);
        break;
    case 4:
        std::snprintf(text, sizeof text, "%d.%02d.%02d %02d:%02d:%02d.%03d", t.wYear, t.wMonth, t.wDay,
                      t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
        break;
    default:
        return std::string();
    }
    return text;
}

} // namespace

std::string FormatFileTime(const TimeValue& value, const char* pattern, std::int32_t style) {
    SYSTEMTIME time{};
    if (!TimeValueToSystemTime(value, time)) return std::string();
    if (style == 0) return pattern ? FormatPattern(pattern, time) : std::string();
    return FormatStyle(style, time);
}
