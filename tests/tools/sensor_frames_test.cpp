#include "tools/sensor_emulator/models/sensor_frames.h"

#include <gtest/gtest.h>

namespace {

using sensor_emulator::FrameFormat;
using sensor_emulator::RequestDecoder;

std::string Hex(const std::string& bytes) {
    return sensor_emulator::HexBytes(bytes);
}

TEST(SensorFrames, EncodesBothFormatsWithTheirChecksums) {
    EXPECT_EQ(Hex(sensor_emulator::EncodeRs485Request(0, 0x33, {})), "31 00 33 29");
    EXPECT_EQ(Hex(sensor_emulator::EncodeRs485Request(0, 0x80, {})), "31 00 80 F9");
    EXPECT_EQ(Hex(sensor_emulator::EncodeKlineRequest(0, 0, " #f")), "02 4D 6C 02 00 00 03 20 23 66 4E B1");
    std::string reply = sensor_emulator::EncodeRs485Reply(5, 0x33, {0x01, 0x02});
    EXPECT_EQ(reply.substr(0, 5), std::string("\x3E\x05\x33\x01\x02", 5));
    EXPECT_EQ(reply.size(), 6u);
}

TEST(SensorFrames, DecoderCutsRequestsOutOfAnyByteStream) {
    RequestDecoder decoder;
    std::string probe = sensor_emulator::EncodeRs485Request(0, 0x33, {});
    std::string kline = sensor_emulator::EncodeKlineRequest(0, 0, " #f");
    std::string withPayload = sensor_emulator::EncodeRs485Request(7, 0x06, {0x10, 0x20, 0x30});
    // Noise first, then three frames fed one byte at a time.
    std::string stream = std::string("\xFF\x00\x31", 3) + probe + kline + withPayload;
    std::vector<sensor_emulator::SensorFrame> frames;
    for (char byte : stream) {
        decoder.Feed(std::string(1, byte));
        while (auto frame = decoder.Next())
            frames.push_back(*frame);
    }
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(decoder.Dropped(), 3u);
    EXPECT_EQ(frames[0].format, FrameFormat::Rs485);
    EXPECT_EQ(frames[0].command, 0x33);
    EXPECT_TRUE(frames[0].payload.empty());
    EXPECT_EQ(frames[1].format, FrameFormat::Kline);
    EXPECT_EQ(std::string(frames[1].payload.begin(), frames[1].payload.end()), " #f");
    EXPECT_EQ(frames[2].address, 7);
    EXPECT_EQ(frames[2].payload, (std::vector<std::uint8_t>{0x10, 0x20, 0x30}));
    EXPECT_EQ(decoder.Pending(), 0u);
}

TEST(SensorFrames, DecoderDropsFramesWithBadChecksumsAndUsesKnownLengths) {
    RequestDecoder decoder;
    std::string kline = sensor_emulator::EncodeKlineRequest(0, 0, " #f");
    kline[kline.size() - 1] ^= 0x01;
    decoder.Feed(kline + sensor_emulator::EncodeRs485Request(0, 0x33, {}));
    auto frame = decoder.Next();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->command, 0x33);
    EXPECT_EQ(decoder.Dropped(), kline.size());

    // A known payload length waits for the whole frame even when a shorter run's CRC holds.
    std::vector<std::uint8_t> payload = {0x00, 0x00, 0x00, 0x00};
    std::string frameBytes = sensor_emulator::EncodeRs485Request(0, 0x42, payload);
    RequestDecoder sized([](int command) -> std::optional<int> {
        if (command == 0x42) return 4;
        return std::nullopt;
    });
    sized.Feed(frameBytes.substr(0, 6));
    EXPECT_FALSE(sized.Next());
    sized.Feed(frameBytes.substr(6));
    auto whole = sized.Next();
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->payload, payload);
}

} // namespace
