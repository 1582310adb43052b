#pragma once
// Little-endian fields of RS-485 payloads, written and read in order as the sensor does.

#include <cstdint>
#include <string>
#include <vector>

namespace sensor_emulator {

class PayloadWriter {
  public:
    PayloadWriter& U8(std::uint8_t value);
    PayloadWriter& U16(std::uint16_t value);
    PayloadWriter& U32(std::uint32_t value);
    // The text cut or padded with NUL bytes to exactly `size` bytes.
    PayloadWriter& Text(const std::string& text, std::size_t size);
    const std::vector<std::uint8_t>& Bytes() const { return bytes; }

  private:
    std::vector<std::uint8_t> bytes;
};

// Reads past the end give 0 and mark the reader short, so a model never reads outside a request.
class PayloadReader {
  public:
    explicit PayloadReader(const std::vector<std::uint8_t>& bytes) : bytes(bytes) {}
    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    bool Short() const { return isShort; }

  private:
    const std::vector<std::uint8_t>& bytes;
    std::size_t position = 0;
    bool isShort = false;
};

// Payloads every RS-485 device answers alike: the release text as 16 bytes (0x1A), its suffix up to
// a NUL (0x1B), and the model block whose eleventh byte is the kind (0x05).
std::vector<std::uint8_t> ReleasePayload(const std::string& release);
std::vector<std::uint8_t> ReleaseSuffixPayload(const std::string& suffix);
std::vector<std::uint8_t> KindPayload(std::uint8_t kind);

} // namespace sensor_emulator
