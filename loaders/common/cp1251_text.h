#pragma once
// Console texts are held in code page 1251, as the console conversion expects them. Sources stay
// readable: a UTF-8 literal is re-encoded at compile time, and a character outside ASCII and the
// Cyrillic letters stops the build.

#include <array>
#include <cstddef>

namespace loaders {

template <std::size_t N> struct Cp1251Text {
    std::array<char, N> bytes{};
    std::size_t length = 0;
    constexpr const char* c_str() const { return bytes.data(); }
};

namespace detail {
// Code point of the UTF-8 sequence at text[i]; advances i. Only one- and two-byte forms occur.
consteval unsigned DecodeUtf8(const char* text, std::size_t& i) {
    unsigned lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    if ((lead & 0xE0) != 0xC0) throw "only ASCII and Cyrillic letters are expected";
    return ((lead & 0x1F) << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
}

consteval char EncodeCp1251(unsigned codePoint) {
    if (codePoint < 0x80) return static_cast<char>(codePoint);
    if (codePoint >= 0x410 && codePoint <= 0x44F) return static_cast<char>(0xC0 + (codePoint - 0x410));
    if (codePoint == 0x401) return static_cast<char>(0xA8); // Ё
    if (codePoint == 0x451) return static_cast<char>(0xB8); // ё
    throw "character outside code page 1251's Cyrillic letters";
}
} // namespace detail

// Cp1251("Файл не найден"): the text in code page 1251, NUL-terminated.
template <std::size_t N> consteval Cp1251Text<N> Cp1251(const char (&utf8)[N]) {
    Cp1251Text<N> text;
    std::size_t in = 0;
    while (in + 1 < N)
        text.bytes[text.length++] = detail::EncodeCp1251(detail::DecodeUtf8(utf8, in));
    text.bytes[text.length] = '\0';
    return text;
}

} // namespace loaders
