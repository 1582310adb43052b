#include "tools/sensor_emulator/models/sensor_frames.h"

#include <cstdio>

#include "configurator/link/frames.h"

namespace sensor_emulator {
namespace {

const std::uint8_t* Bytes(std::string_view text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

std::string Built(int length, const std::uint8_t* area) {
    return std::string(reinterpret_cast<const char*>(area), static_cast<std::size_t>(length));
}

} // namespace

std::string EncodeRs485Request(int address, int command, const std::vector<std::uint8_t>& payload) {
    std::uint8_t area[frames::FrameAreaSize];
    int length =
        frames::BuildRs485Frame(address, command, payload.data(), static_cast<int>(payload.size()), area);
    return Built(length, area);
}

std::string EncodeRs485Reply(int address, int command, const std::vector<std::uint8_t>& payload) {
    std::string frame;
    frame += static_cast<char>(frames::Rs485ReplyStart);
    frame += static_cast<char>(address);
    frame += static_cast<char>(command);
    frame.append(payload.begin(), payload.end());
    frame += static_cast<char>(frames::Crc8(Bytes(frame), static_cast<int>(frame.size())));
    return frame;
}

std::string EncodeKlineRequest(int address, int command, const std::string& text) {
    std::uint8_t area[frames::FrameAreaSize];
    int length = frames::BuildKlineFrame(address, command, Bytes(text), static_cast<int>(text.size()), area);
    return Built(length, area);
}

std::string EncodeKlineReply(int address, int command, const std::string& text) {
    return EncodeKlineRequest(address, command, text); // the K-line frame reads the same both ways
}

RequestDecoder::Cut RequestDecoder::CutRs485(std::string_view run, SensorFrame& frame,
                                             std::size_t& length) const {
    std::optional<int> known;
    if (rs485Length && run.size() >= 3) known = rs485Length(static_cast<std::uint8_t>(run[2]));
    std::size_t first =
        known ? static_cast<std::size_t>(*known) + frames::Rs485Overhead : frames::Rs485Overhead;
    std::size_t last =
        known ? first : static_cast<std::size_t>(frames::MaxPayloadLength) + frames::Rs485Overhead;
    for (std::size_t n = first; n <= last; ++n) {
        if (n > run.size()) return Cut::NeedMore;
        if (frames::Crc8(Bytes(run), static_cast<int>(n)) != 0) continue;
        frame.format = FrameFormat::Rs485;
        frame.address = static_cast<std::uint8_t>(run[1]);
        frame.command = static_cast<std::uint8_t>(run[2]);
        frame.payload.assign(run.begin() + 3, run.begin() + static_cast<long>(n) - 1);
        length = n;
        return Cut::Frame;
    }
    return Cut::Bad;
}

RequestDecoder::Cut RequestDecoder::CutKline(std::string_view run, SensorFrame& frame,
                                             std::size_t& length) const {
    for (std::size_t i = 1; i < 4 && i < run.size(); ++i)
        if (static_cast<std::uint8_t>(run[i]) != frames::KlineHeader[i]) return Cut::Bad;
    if (run.size() < 7) return Cut::NeedMore;
    std::size_t n = static_cast<std::uint8_t>(run[6]);
    if (run.size() < n + frames::KlineOverhead) return Cut::NeedMore;
    std::uint16_t sum = frames::Sum16(Bytes(run) + 4, static_cast<int>(n) + 3);
    std::uint16_t sent = static_cast<std::uint8_t>(run[7 + n]) | static_cast<std::uint8_t>(run[8 + n]) << 8;
    if (sum != sent) return Cut::Bad;
    frame.format = FrameFormat::Kline;
    frame.address = static_cast<std::uint8_t>(run[4]);
    frame.command = static_cast<std::uint8_t>(run[5]);
    frame.payload.assign(run.begin() + 7, run.begin() + 7 + static_cast<long>(n));
    length = n + frames::KlineOverhead;
    return Cut::Frame;
}

RequestDecoder::Cut RequestDecoder::CutAt(std::string_view run, SensorFrame& frame,
                                          std::size_t& length) const {
    auto start = static_cast<std::uint8_t>(run[0]);
    if (start == frames::Rs485RequestStart) return CutRs485(run, frame, length);
    if (start == frames::KlineHeader[0]) return CutKline(run, frame, length);
    return Cut::Bad;
}

void RequestDecoder::Take(std::size_t skipped, std::size_t length) {
    dropped += skipped;
    pending.erase(0, skipped + length);
}

std::optional<SensorFrame> RequestDecoder::Next() {
    while (!pending.empty()) {
        std::string_view view(pending);
        SensorFrame frame;
        std::size_t length = 0;
        Cut cut = CutAt(view, frame, length);
        if (cut == Cut::Frame) {
            Take(0, length);
            return frame;
        }
        if (cut == Cut::Bad) {
            Take(1, 0); // not the start of a good frame: look again from the next byte
            continue;
        }
        // A false start (a stray start byte) must not stall the stream: a whole frame further on wins.
        for (std::size_t skip = 1; skip < view.size(); ++skip) {
            if (CutAt(view.substr(skip), frame, length) != Cut::Frame) continue;
            Take(skip, length);
            return frame;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::string HexBytes(const std::string& bytes) {
    std::string text;
    char digits[4];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        if (!text.empty()) text += ' ';
        text += digits;
    }
    return text;
}

} // namespace sensor_emulator
