#include "tools/sensor_emulator/models/sensor_payload.h"

namespace sensor_emulator {

PayloadWriter& PayloadWriter::U8(std::uint8_t value) {
    bytes.push_back(value);
    return *this;
}

PayloadWriter& PayloadWriter::U16(std::uint16_t value) {
    return U8(static_cast<std::uint8_t>(value)).U8(static_cast<std::uint8_t>(value >> 8));
}

PayloadWriter& PayloadWriter::U32(std::uint32_t value) {
    return U16(static_cast<std::uint16_t>(value)).U16(static_cast<std::uint16_t>(value >> 16));
}

PayloadWriter& PayloadWriter::Text(const std::string& text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        U8(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
    return *this;
}

std::uint8_t PayloadReader::U8() {
    if (position >= bytes.size()) {
        isShort = true;
        return 0;
    }
    return bytes[position++];
}

std::uint16_t PayloadReader::U16() {
    std::uint16_t low = U8();
    return static_cast<std::uint16_t>(low | U8() << 8);
}

std::uint32_t PayloadReader::U32() {
    std::uint32_t low = U16();
    return low | std::uint32_t(U16()) << 16;
}

std::vector<std::uint8_t> ReleasePayload(const std::string& release) {
    return PayloadWriter().Text(release, 16).Bytes();
}

std::vector<std::uint8_t> ReleaseSuffixPayload(const std::string& suffix) {
    return PayloadWriter().Text(suffix, suffix.size() + 1).Bytes();
}

std::vector<std::uint8_t> KindPayload(std::uint8_t kind) {
    return PayloadWriter().Text("", 10).U8(kind).Bytes();
}

} // namespace sensor_emulator
