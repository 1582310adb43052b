#include "core/byte_cursor.h"

#include <cstring>

std::uint8_t* ByteCursor::Take(std::uint32_t count) {
    if (left < count) throw 0;
    std::uint8_t* start = *position;
    *position += count;
    left -= count;
    return start;
}

int ByteCursor::ReadLE(unsigned n) {
    n &= 0xFF;
    if (n > 4) throw 0;
    const std::uint8_t* bytes = Take(n);
    std::uint32_t value = 0;
    for (unsigned i = n; i-- > 0;)
        value = (value << 8) | bytes[i];
    return static_cast<int>(value);
}

void ByteCursor::WriteLE(const void* value, unsigned n) {
    n &= 0xFF;
    if (n > 4) throw 0;
    std::uint32_t word = 0;
    std::memcpy(&word, value, n); // the n low bytes on this little-endian host
    std::uint8_t* bytes = Take(n);
    for (unsigned i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>(word >> (8 * i));
}

void ByteCursor::WriteText(const char* text, unsigned width) {
    std::size_t length = std::strlen(text);
    if (width == 0) width = static_cast<unsigned>(length);
    std::uint8_t* field = Take(width);
    // An empty area may be a null pointer, which memcpy must not get even for 0 bytes.
    if (length > 0 && width > 0) std::memcpy(field, text, length < width ? length : width);
}

void ByteCursor::WriteBytes(const void* bytes, unsigned n) {
    std::uint8_t* field = Take(n);
    if (n) std::memcpy(field, bytes, n);
}

void ByteCursor::Skip(unsigned n) {
    Take(n);
}

std::string ByteCursor::ReadString(int length) {
    if (length >= 0) {
        const std::uint8_t* field = Take(static_cast<std::uint32_t>(length));
        return std::string(reinterpret_cast<const char*>(field), static_cast<std::size_t>(length));
    }
    const std::uint8_t* start = *position;
    const void* nul = left > 0 ? std::memchr(start, 0, left) : nullptr;
    if (!nul) throw 0;
    std::uint32_t textLength = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(nul) - start);
    Take(textLength + 1);
    return std::string(reinterpret_cast<const char*>(start), textLength);
}
