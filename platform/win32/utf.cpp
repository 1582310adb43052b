#include "platform/win32/utf.h"

#include <algorithm>

namespace win32 {
namespace {

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Decodes one code point at `i`; -1 for an ill-formed unit (i then steps past it).
long NextCodePoint(std::u16string_view text, std::size_t& i) {
    char16_t unit = text[i++];
    if (IsHighSurrogate(unit)) {
        if (i < text.size() && IsLowSurrogate(text[i])) {
            char16_t low = text[i++];
            return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        return -1;
    }
    if (IsLowSurrogate(unit)) return -1;
    return unit;
}

} // namespace

std::optional<std::string> Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        long code = NextCodePoint(text, i);
        if (code < 0) return std::nullopt;
        AppendUtf8(out, static_cast<char32_t>(code));
    }
    return out;
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        unsigned char lead = static_cast<unsigned char>(bytes[i]);
        int extra = lead < 0x80             ? 0
                    : (lead & 0xE0) == 0xC0 ? 1
                    : (lead & 0xF0) == 0xE0 ? 2
                    : (lead & 0xF8) == 0xF0 ? 3
                                            : -1;
        if (extra < 0 || bytes.size() - i <= static_cast<std::size_t>(extra)) return std::nullopt;
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return std::nullopt;
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string Utf16ToUtf8Lenient(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        long code = NextCodePoint(text, i);
        AppendUtf8(out, code < 0 ? 0xFFFD : static_cast<char32_t>(code));
    }
    return out;
}

std::u16string Utf8ToUtf16Lenient(std::string_view bytes) {
    // How many bytes a sequence with this lead byte claims (1 for a stray byte).
    auto claimed = [](unsigned char lead) -> std::size_t {
        if (lead >= 0xF0 && lead <= 0xF7) return 4;
        if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
        return lead >= 0xC0 ? 2 : 1;
    };
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t length = std::min(claimed(static_cast<unsigned char>(bytes[i])), bytes.size() - i);
        if (auto decoded = Utf8ToUtf16(bytes.substr(i, length))) {
            out += *decoded;
            i += length;
        } else {
            out += u'\uFFFD';
            ++i;
        }
    }
    return out;
}

std::string PathToUtf8(const char16_t* path) {
    return Utf16ToUtf8Lenient(path ? path : u"");
}

} // namespace win32
