#include "configurator/link/frames.h"

#include "core/byte_cursor.h"

namespace frames {
namespace {

// The cursor's "no stated end": the caller's area is known to hold the frame.
constexpr std::uint32_t Unbounded = 0xFFFFFFFF;

bool Frameable(int length) {
    return length >= 0 && length <= MaxPayloadLength;
}

} // namespace

std::uint8_t Crc8(const std::uint8_t* bytes, int count) {
    std::uint8_t crc = 0;
    for (int i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint8_t>((crc >> 1) ^ 0x8C) : crc >> 1;
    }
    return crc;
}

std::uint16_t Sum16(const std::uint8_t* bytes, int count) {
    std::uint16_t sum = 0;
    for (int i = 0; i < count; ++i)
        sum = static_cast<std::uint16_t>(sum + (bytes[i] << 8) + (bytes[i] ^ 0xFF));
    return sum;
}

int BuildRs485Frame(int address, int command, const std::uint8_t* payload, int length,
                    std::uint8_t* destination) {
    if (!Frameable(length)) return 0;
    std::uint8_t* position = destination;
    ByteCursor cursor(&position, Unbounded);
    cursor.WriteU8(Rs485RequestStart);
    cursor.WriteU8(static_cast<std::uint8_t>(address));
    cursor.WriteU8(static_cast<std::uint8_t>(command));
    cursor.WriteBytes(payload, static_cast<unsigned>(length));
    cursor.WriteU8(Crc8(destination, length + 3));
    return static_cast<int>(position - destination);
}

int BuildKlineFrame(int address, int command, const std::uint8_t* payload, int length,
                    std::uint8_t* destination) {
    if (!Frameable(length)) return 0;
    std::uint8_t* position = destination;
    ByteCursor cursor(&position, Unbounded);
    cursor.WriteBytes(KlineHeader, sizeof KlineHeader);
    std::uint8_t* summed = position;
    cursor.WriteU8(static_cast<std::uint8_t>(address));
    cursor.WriteU8(static_cast<std::uint8_t>(command));
    cursor.WriteU8(static_cast<std::uint8_t>(length));
    cursor.WriteBytes(payload, static_cast<unsigned>(length));
    cursor.WriteU16(Sum16(summed, length + 3));
    return static_cast<int>(position - destination);
}

int BuildFrame(unsigned baud, int address, int command, const std::uint8_t* payload, int length,
               std::uint8_t* destination) {
    if (baud == KlineBaud) return BuildKlineFrame(address, command, payload, length, destination);
    return BuildRs485Frame(address, command, payload, length, destination);
}

bool AcceptRs485Frame(const std::uint8_t* run, int n, ReplyFrame& reply) {
    if (n < Rs485Overhead || run[0] != Rs485ReplyStart) return false;
    if (Crc8(run, n - 1) != run[n - 1]) return false;
    reply = {run[2], run[1], run + 3, n - Rs485Overhead};
    return true;
}

bool AcceptKlineFrame(const std::uint8_t* run, int n, ReplyFrame& reply) {
    if (n < 7 || run[0] != KlineHeader[0]) return false;
    int length = run[6];
    if (n < length + KlineOverhead) return false;
    std::uint16_t sum = static_cast<std::uint16_t>(run[7 + length] | (run[8 + length] << 8));
    if (Sum16(run + 4, length + 3) != sum) return false;
    // " #" and the command letter lead every reply's text.
    if (length < 3) return false;
    reply = {run[9], 0, run + 10, length - 3};
    return true;
}

} // namespace frames
