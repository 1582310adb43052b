#pragma once
// The configurator's one text type: UTF-16 text with conversions from and to narrow text in a code
// page. Narrow text without a code page is read as 1251 (Cyrillic). A failed conversion never
// throws: narrow to wide gives the empty text, wide to narrow 2n '#' characters.

#include <string>

#include "platform/vcl/unicode_string.h"
#include "platform/win32/types.h"

// Code pages as the conversions take them.
constexpr int CodePageCyrillic = 1251;
constexpr int CodePageUtf8 = 65001;
constexpr int CodePageUtf16 = 1200; // raw UTF-16 little-endian bytes, copied as they stand
constexpr int CodePagePercent = 0;  // only for std::string: percent-decoded bytes read as UTF-8

class TString : public std::basic_string<WCHAR> {
  public:
    using Base = std::basic_string<WCHAR>;

    TString() = default;
    TString(const TString&) = default;
    TString(TString&&) = default;
    TString(const Base& text) : Base(text) {}
    TString(Base&& text) : Base(std::move(text)) {}

    TString(int value);
    TString(unsigned int value);
    TString(unsigned long value);
    TString(unsigned long long value);
    TString(double value, bool comma);
    TString(const char* text);
    TString(const char* text, int length, int codePage);
    TString(char byte);
    TString(const WCHAR* text);
    TString(WCHAR character);
    TString(const TString& source, unsigned position, unsigned count);
    TString(const std::string& bytes, int codePage);
    TString(const System::UnicodeString& text);

    TString& operator=(const TString& other);
    TString& operator=(TString&& other) = default;

    void AssignMultiByte(const char* text, int length, int codePage);
    std::string ToStdString(int codePage) const;
    int ToInt(bool hex) const;
    System::UnicodeString ToUnicodeString() const;
    TString Between(WCHAR open, WCHAR close) const;
    void PercentDecode(const std::string& bytes);
};

TString operator+(const TString& left, const TString& right);
TString operator+(const TString& left, const char* right);
TString operator+(const char* left, const TString& right);
TString operator+(const TString& left, const System::UnicodeString& right);

// Value of one hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char digit);
