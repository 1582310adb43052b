#include "platform/vcl/unicode_string.h"

#include "platform/vcl/sysutils.h"

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

namespace {

// One code point from UTF-8; a bad sequence consumes one byte and gives U+FFFD.
char32_t NextCodePoint(std::string_view bytes, std::size_t& at) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    unsigned char lead = byte(at);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    if (extra < 0) {
        ++at;
        return 0xFFFD;
    }
    char32_t value = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        if (at + i >= bytes.size() || (byte(at + i) & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    at += extra + 1;
    if (value < smallest[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0xFFFD;
    return value;
}

} // namespace

UnicodeString UnicodeString::FromUtf8(std::string_view bytes) {
    std::u16string out;
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t c = NextCodePoint(bytes, at);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return UnicodeString(std::move(out));
}

std::string UnicodeString::ToUtf8() const {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
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

int UnicodeString::ToInt() const {
    return Sysutils::StrToInt(*this);
}

} // namespace System
