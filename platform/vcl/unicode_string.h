#pragma once
// The form framework's string: UTF-16 text that controls show and edit.

#include <string>
#include <string_view>

#include "platform/win32/types.h"

namespace System {

class UnicodeString {
  public:
    UnicodeString() = default;
    // A null pointer gives a string without text.
    UnicodeString(const WCHAR* text);
    UnicodeString(const WCHAR* text, int length);
    UnicodeString(std::u16string text) : text(std::move(text)) {}
    UnicodeString(std::u16string_view text) : text(text) {}

    // UTF-8 from and to the outside world (widget toolkits, file names); ill-formed input turns
    // into U+FFFD rather than failing.
    static UnicodeString FromUtf8(std::string_view bytes);
    std::string ToUtf8() const;

    // Never null: a string without text gives an empty, terminated array.
    const WCHAR* c_str() const { return text.c_str(); }
    const WCHAR* w_str() const { return text.c_str(); }
    int Length() const { return static_cast<int>(text.size()); }
    bool IsEmpty() const { return text.empty(); }
    const std::u16string& Text() const { return text; }

    // Positions are 1-based as in the framework; Pos gives 0 when the part is absent.
    int Pos(const UnicodeString& part) const;
    UnicodeString SubString(int start, int count) const;
    // Decimal (or $/0x hexadecimal) integer; throws EConvertError like StrToInt.
    int ToInt() const;
    // Replaces the text with the C library's printf form of the arguments ("%u", "%hu", "%i"...);
    // the format is ASCII.
    UnicodeString& sprintf(const char* format, ...) __attribute__((format(printf, 2, 3)));

    bool operator==(const UnicodeString& other) const = default;
    bool operator==(const WCHAR* other) const { return text == (other ? other : u""); }
    auto operator<=>(const UnicodeString& other) const = default;
    UnicodeString& operator+=(const UnicodeString& other);
    friend UnicodeString operator+(UnicodeString left, const UnicodeString& right) { return left += right; }
    friend UnicodeString operator+(UnicodeString left, const WCHAR* right) { return left += right; }
    friend UnicodeString operator+(const WCHAR* left, const UnicodeString& right) {
        return UnicodeString(left) += right;
    }

  private:
    std::u16string text;
};

} // namespace System

using System::UnicodeString;
