#include "platform/vcl/unicode_string.h"

#include <cstdarg>
#include <cstdio>

#include "platform/vcl/sysutils.h"
#include "platform/win32/utf.h"

namespace System {

UnicodeString::UnicodeString(const WCHAR* source) {
    if (source) text = source;
}

UnicodeString::UnicodeString(const WCHAR* source, int length) {
    if (source && length > 0) text.assign(source, static_cast<std::size_t>(length));
}

UnicodeString& UnicodeString::operator+=(const UnicodeString& other) {
    text += other.text;
    return *this;
}

UnicodeString UnicodeString::FromUtf8(std::string_view bytes) {
    return UnicodeString(win32::Utf8ToUtf16Lenient(bytes));
}

std::string UnicodeString::ToUtf8() const {
    return win32::Utf16ToUtf8Lenient(text);
}

int UnicodeString::Pos(const UnicodeString& part) const {
    std::size_t found = text.find(part.text);
    return found == std::u16string::npos ? 0 : static_cast<int>(found) + 1;
}

UnicodeString UnicodeString::SubString(int start, int count) const {
    if (start < 1) start = 1;
    if (count <= 0 || start > Length()) return UnicodeString();
    return UnicodeString(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
}

UnicodeString& UnicodeString::sprintf(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string narrow(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(narrow.data(), narrow.size() + 1, format, again);
    va_end(again);
    text = win32::Utf8ToUtf16Lenient(narrow);
    return *this;
}

int UnicodeString::ToInt() const {
    return Sysutils::StrToInt(*this);
}

} // namespace System
