#include "platform/vcl/unicode_string.h"

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

} // namespace System
