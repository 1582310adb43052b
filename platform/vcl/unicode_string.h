#pragma once
// The form framework's string: UTF-16 text that controls show and edit.

#include <string>

#include "platform/win32/types.h"

namespace System {

class UnicodeString {
public:
    UnicodeString() = default;
    // A null pointer gives a string without text.
    UnicodeString(const WCHAR* text);
    UnicodeString(const WCHAR* text, int length);
    UnicodeString(std::u16string text) : text(std::move(text)) {}

    // Never null: a string without text gives an empty, terminated array.
    const WCHAR* c_str() const { return text.c_str(); }
    int Length() const { return static_cast<int>(text.size()); }
    bool IsEmpty() const { return text.empty(); }
    const std::u16string& Text() const { return text; }

    bool operator==(const UnicodeString& other) const = default;
    UnicodeString& operator+=(const UnicodeString& other);
    friend UnicodeString operator+(UnicodeString left, const UnicodeString& right) { return left += right; }

private:
    std::u16string text;
};

} // namespace System

using System::UnicodeString;
