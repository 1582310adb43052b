#include "platform/vcl/sysutils.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>

namespace System::Sysutils {

namespace {

WCHAR LocaleDecimalSeparator() {
    locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (!user) return u'.';
    const char* radix = nl_langinfo_l(RADIXCHAR, user);
    WCHAR separator = radix && radix[0] && radix[1] == '\0' ? static_cast<WCHAR>(radix[0]) : u'.';
    freelocale(user);
    return separator;
}

// Mantissa digits (without trailing zeros) and the decimal exponent of |value| = 0.d1d2... * 10^exp.
void SignificantDigits(double value, std::string& digits, int& exponent) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    std::string text = buffer;
    std::size_t e = text.find('e');
    digits = text.substr(0, 1) + text.substr(2, e - 2);
    exponent = std::atoi(text.c_str() + e + 1) + 1;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
}

} // namespace

TFormatSettings FormatSettings{LocaleDecimalSeparator()};

UnicodeString FloatToStr(double value) {
    if (std::isnan(value)) return UnicodeString(u"NAN");
    if (std::isinf(value)) return UnicodeString(value < 0 ? u"-INF" : u"INF");
    if (value == 0) return UnicodeString(u"0");
    std::string digits;
    int exponent = 0;
    SignificantDigits(value, digits, exponent);
    std::u16string out = value < 0 ? u"-" : u"";
    const char16_t point = FormatSettings.DecimalSeparator;
    if (exponent > 15 || exponent < -3) {
        out += System::UnicodeString::FromUtf8(digits.substr(0, 1)).Text();
        if (digits.size() > 1) out += point + System::UnicodeString::FromUtf8(digits.substr(1)).Text();
        out += u"E" + System::UnicodeString::FromUtf8(std::to_string(exponent - 1)).Text();
    } else if (exponent <= 0) {
        out += u"0";
        out += point;
        out += std::u16string(static_cast<std::size_t>(-exponent), u'0') +
               System::UnicodeString::FromUtf8(digits).Text();
    } else {
        if (digits.size() < static_cast<std::size_t>(exponent)) digits.resize(exponent, '0');
        out += System::UnicodeString::FromUtf8(digits.substr(0, exponent)).Text();
        if (digits.size() > static_cast<std::size_t>(exponent))
            out += point + System::UnicodeString::FromUtf8(digits.substr(exponent)).Text();
    }
    return UnicodeString(std::move(out));
}

int StrToInt(const UnicodeString& text) {
    const std::u16string& s = text.Text();
    std::size_t at = 0;
    while (at < s.size() && s[at] == u' ')
        ++at;
    bool negative = at < s.size() && s[at] == u'-';
    if (at < s.size() && (s[at] == u'-' || s[at] == u'+')) ++at;
    unsigned base = 10;
    if (at < s.size() && s[at] == u'$') {
        base = 16;
        ++at;
    } else if (at + 1 < s.size() && s[at] == u'0' && (s[at + 1] == u'x' || s[at + 1] == u'X')) {
        base = 16;
        at += 2;
    }
    // Decimal numbers must fit a signed 32-bit value, hexadecimal ones 32 bits of any sign.
    const unsigned long long limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    unsigned long long magnitude = 0;
    bool any = false;
    for (; at < s.size(); ++at) {
        char16_t c = s[at];
        int digit = c >= u'0' && c <= u'9'                 ? c - u'0'
                    : base == 16 && c >= u'a' && c <= u'f' ? c - u'a' + 10
                    : base == 16 && c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                           : -1;
        if (digit < 0) break;
        magnitude = magnitude * base + static_cast<unsigned>(digit);
        any = true;
        if (magnitude > limit) break;
    }
    if (!any || at != s.size()) throw EConvertError(u"'" + text + u"' is not a valid integer value");
    auto bits = static_cast<std::uint32_t>(magnitude);
    return static_cast<int>(negative ? 0u - bits : bits);
}

UnicodeString IntToStr(int value) {
    return System::UnicodeString::FromUtf8(std::to_string(value));
}

} // namespace System::Sysutils
