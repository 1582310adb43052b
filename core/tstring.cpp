#include "core/tstring.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/win32/codepages.h"

namespace {

template <class Number> TString DecimalText(Number value) {
    std::string digits = std::to_string(value);
    return TString(TString::Base(digits.begin(), digits.end()));
}

bool IsBlank(WCHAR c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int DigitValue(WCHAR c) {
    return c < 0x80 ? HexDigitValue(static_cast<char>(c)) : -1;
}

// Decimal as the C library's atoi reads it, clamped to the int range instead of overflowing.
int ReadDecimal(const WCHAR* p) {
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<int>(-value);
    return static_cast<int>(std::min<long long>(value, INT_MAX));
}

// Hexadecimal as "%X" reads it: optional sign and 0x, the value kept to 32 bits.
int ReadHex(const WCHAR* p) {
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && DigitValue(p[2]) >= 0) p += 2;
    std::uint32_t value = 0;
    for (int digit; (digit = DigitValue(*p)) >= 0; ++p)
        value = value * 16 + static_cast<std::uint32_t>(digit);
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

} // namespace

TString::TString(int value) : Base(DecimalText(value)) {}
TString::TString(unsigned int value) : Base(DecimalText(value)) {}
TString::TString(unsigned long value) : Base(DecimalText(value)) {}
TString::TString(unsigned long long value) : Base(DecimalText(value)) {}

TString::TString(double value, bool comma) {
    char text[100];
    if (std::fabs(value) < 1e-05) {
        // Tiny values keep their magnitude in the library's short form; no comma there.
        AssignMultiByte(gcvt(value, 3, text), -1, CodePageCyrillic);
        return;
    }
    std::snprintf(text, sizeof text, "%f", value);
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == '0')
        --length;
    if (length > 0 && text[length - 1] == '.') {
        --length;
    } else if (comma) {
        if (char* point = static_cast<char*>(std::memchr(text, '.', length))) *point = ',';
    }
    assign(text, text + length);
}

TString::TString(const char* text) {
    AssignMultiByte(text, -1, CodePageCyrillic);
}

TString::TString(const char* text, int length, int codePage) {
    AssignMultiByte(text, length, codePage);
}

TString::TString(char byte) {
    AssignMultiByte(&byte, 1, CodePageCyrillic);
}

TString::TString(const WCHAR* text) : Base(text) {}

TString::TString(WCHAR character) : Base(1, character) {}

TString::TString(const TString& source, unsigned position, unsigned count) : Base(source, position, count) {}

TString::TString(const std::string& bytes, int codePage) {
    if (codePage == CodePagePercent)
        PercentDecode(bytes);
    else
        AssignMultiByte(bytes.c_str(), -1, codePage);
}

TString::TString(const System::UnicodeString& text) : Base(text.Text()) {}

TString& TString::operator=(const TString& other) {
    Base::operator=(other);
    return *this;
}

void TString::AssignMultiByte(const char* text, int length, int codePage) {
    clear();
    if (!text || length < -1) return;
    std::size_t bytes = length == -1 ? std::strlen(text) : static_cast<std::size_t>(length);
    if (bytes == 0 || bytes >= INT_MAX) return;
    auto block = std::make_unique<WCHAR[]>(bytes + 1);
    std::size_t count;
    if (codePage == CodePageUtf16) {
        count = bytes / 2;
        std::memcpy(block.get(), text, count * 2);
    } else {
        int converted = MultiByteToWideChar(static_cast<UINT>(codePage), 0, text, static_cast<int>(bytes),
                                            block.get(), static_cast<int>(bytes + 1));
        count = converted > 0 ? static_cast<std::size_t>(converted) : 0;
    }
    assign(block.get(), count);
}

std::string TString::ToStdString(int codePage) const {
    std::size_t n = size();
    if (codePage == CodePageUtf16) return std::string(reinterpret_cast<const char*>(data()), 2 * n);
    if (2 * n + 1 > static_cast<std::size_t>(INT_MAX)) return std::string(2 * n, '#');
    auto block = std::make_unique<char[]>(2 * n + 1);
    int converted = WideCharToMultiByte(static_cast<UINT>(codePage), 0, c_str(), -1, block.get(),
                                        static_cast<int>(2 * n + 1), nullptr, nullptr);
    // The count includes the terminating NUL.
    if (converted <= 0) return std::string(2 * n, '#');
    return std::string(block.get(), static_cast<std::size_t>(converted - 1));
}

int TString::ToInt(bool hex) const {
    const WCHAR* p = c_str();
    while (IsBlank(*p))
        ++p;
    return hex ? ReadHex(p) : ReadDecimal(p);
}

System::UnicodeString TString::ToUnicodeString() const {
    return System::UnicodeString(Base(*this));
}

TString TString::Between(WCHAR open, WCHAR close) const {
    size_type start = find(open);
    if (start == npos) return TString();
    size_type end = find(close, start + 1);
    if (end == npos) return TString();
    return TString(*this, static_cast<unsigned>(start + 1), static_cast<unsigned>(end - start - 1));
}

TString operator+(const TString& left, const TString& right) {
    TString result(left);
    result += right;
    return result;
}

TString operator+(const TString& left, const char* right) {
    return left + TString(right);
}

TString operator+(const char* left, const TString& right) {
    return TString(left) + right;
}

TString operator+(const TString& left, const System::UnicodeString& right) {
    return left + TString(right);
}
