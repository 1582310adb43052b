#pragma once
// The sensor's side of both frame formats: requests it receives are cut from the byte stream and
// checked, replies it sends are built with their checksums.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sensor_emulator {

enum class FrameFormat { Rs485, Kline };

struct SensorFrame {
    FrameFormat format = FrameFormat::Rs485;
    int address = 0;
    int command = 0;
    std::vector<std::uint8_t> payload;
};

// Reply frames: RS-485 starts with 0x3E; a K-line reply carries its text as the payload.
std::string EncodeRs485Reply(int address, int command, const std::vector<std::uint8_t>& payload);
std::string EncodeKlineReply(int address, int command, const std::string& text);
// Request frames as the configurator and the loaders build them (for tests that play the program).
std::string EncodeRs485Request(int address, int command, const std::vector<std::uint8_t>& payload);
std::string EncodeKlineRequest(int address, int command, const std::string& text);

// Cuts request frames out of received bytes. An RS-485 request carries no length: the payload
// length per command comes from the sensor model when it knows it; without it the shortest run
// whose CRC holds is taken. Bytes that start no frame are dropped (and counted).
class RequestDecoder {
  public:
    using PayloadLength = std::function<std::optional<int>(int command)>;
    explicit RequestDecoder(PayloadLength rs485Length = nullptr) : rs485Length(std::move(rs485Length)) {}

    void Feed(const std::string& bytes) { pending += bytes; }
    // The next complete, checked frame, if one has come.
    std::optional<SensorFrame> Next();
    std::size_t Dropped() const { return dropped; }
    std::size_t Pending() const { return pending.size(); }

  private:
    enum class Cut { Frame, NeedMore, Bad };
    Cut CutAt(std::string_view run, SensorFrame& frame, std::size_t& length) const;
    Cut CutRs485(std::string_view run, SensorFrame& frame, std::size_t& length) const;
    Cut CutKline(std::string_view run, SensorFrame& frame, std::size_t& length) const;
    void Take(std::size_t skipped, std::size_t length);

    PayloadLength rs485Length;
    std::string pending;
    std::size_t dropped = 0;
};

// Hex digits of each byte with a blank between, for logs and test messages.
std::string HexBytes(const std::string& bytes);

} // namespace sensor_emulator
