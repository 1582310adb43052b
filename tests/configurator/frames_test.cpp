#include "configurator/link/frames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::uint8_t* Text(const char* text) {
    return reinterpret_cast<const std::uint8_t*>(text);
}

Bytes Build(unsigned baud, int address, int command, const Bytes& payload) {
    Bytes area(frames::FrameAreaSize, 0xEE);
    int length = frames::BuildFrame(baud, address, command, payload.data(), static_cast<int>(payload.size()),
                                    area.data());
    area.resize(static_cast<std::size_t>(length));
    return area;
}

// A sensor's RS-485 reply: the request layout with the reply start byte.
Bytes Rs485Reply(int address, int command, const Bytes& payload) {
    Bytes frame = Build(19200, address, command, payload);
    frame[0] = frames::Rs485ReplyStart;
    frame.back() = frames::Crc8(frame.data(), static_cast<int>(frame.size()) - 1);
    return frame;
}

TEST(Frames, ChecksumCheckValues) {
    EXPECT_EQ(frames::Crc8(Text("123456789"), 9), 0xA1);
    EXPECT_EQ(frames::Crc8(Text("123456789"), 0), 0);
    EXPECT_EQ(frames::Crc8(nullptr, 0), 0);
    EXPECT_EQ(frames::Sum16(Text("abc"), 3), 0x27D7);
    EXPECT_EQ(frames::Sum16(nullptr, 0), 0);
    // The sum wraps at 16 bits: 256 bytes of 0xFF add 256 x 0xFF00.
    Bytes ones(256, 0xFF);
    EXPECT_EQ(frames::Sum16(ones.data(), 256), static_cast<std::uint16_t>(256 * 0xFF00));
}

TEST(Frames, BuildsProbeAndIdentifyFrames) {
    EXPECT_EQ(Build(19200, 0, 0x33, {}), (Bytes{0x31, 0x00, 0x33, 0x29}));
    EXPECT_EQ(Build(19200, 0, 0x80, {}), (Bytes{0x31, 0x00, 0x80, 0xF9}));
    EXPECT_EQ(Build(9600, 0, 0, {0x20, 0x23, 0x66}),
              (Bytes{0x02, 0x4D, 0x6C, 0x02, 0x00, 0x00, 0x03, 0x20, 0x23, 0x66, 0x4E, 0xB1}));
    // Every baud but 9600 speaks RS-485; address and command count by their low 8 bits.
    EXPECT_EQ(Build(115200, 0x100, 0x133, {}), Build(19200, 0, 0x33, {}));
    Bytes withPayload = Build(19200, 7, 0x41, {0x01, 0x02});
    EXPECT_EQ(withPayload.size(), 6u);
    EXPECT_EQ(frames::Crc8(withPayload.data(), 6), 0); // a frame with its CRC checks to 0
}

TEST(Frames, PayloadLengthLimits) {
    Bytes largest(255, 0x41);
    Bytes kline = Build(9600, 0, 0, largest);
    ASSERT_EQ(kline.size(), 264u);
    EXPECT_EQ(kline[6], 255);
    EXPECT_EQ(Build(19200, 1, 2, largest).size(), 259u);

    Bytes area(frames::FrameAreaSize + 100, 0xEE);
    Bytes tooLong(256, 0x41);
    EXPECT_EQ(frames::BuildKlineFrame(0, 0, tooLong.data(), 256, area.data()), 0);
    EXPECT_EQ(frames::BuildRs485Frame(0, 0, tooLong.data(), 256, area.data()), 0);
    EXPECT_EQ(frames::BuildRs485Frame(0, 0, tooLong.data(), -1, area.data()), 0);
    EXPECT_EQ(area, Bytes(frames::FrameAreaSize + 100, 0xEE)); // nothing written
}

TEST(Frames, AcceptsRs485Replies) {
    frames::ReplyFrame reply;
    Bytes frame = Rs485Reply(5, 0x33, {0xAA, 0xBB, 0xCC});
    ASSERT_TRUE(frames::AcceptRs485Frame(frame.data(), static_cast<int>(frame.size()), reply));
    EXPECT_EQ(reply.command, 0x33);
    EXPECT_EQ(reply.address, 5);
    EXPECT_EQ(Bytes(reply.payload, reply.payload + reply.length), (Bytes{0xAA, 0xBB, 0xCC}));

    Bytes empty = Rs485Reply(0, 0x80, {});
    ASSERT_TRUE(frames::AcceptRs485Frame(empty.data(), 4, reply));
    EXPECT_EQ(reply.length, 0);
}

TEST(Frames, RejectsBadRs485Runs) {
    auto accepted = [](const Bytes& run) {
        frames::ReplyFrame reply;
        reply.command = -7;
        bool ok = frames::AcceptRs485Frame(run.data(), static_cast<int>(run.size()), reply);
        EXPECT_TRUE(ok || reply.command == -7) << "a rejected run changed the result";
        return ok;
    };
    Bytes good = Rs485Reply(1, 0x33, {0x10});
    EXPECT_TRUE(accepted(good));

    Bytes extra = good;
    // Not 0x00: behind a frame whose CRC checks to 0 that byte reads as a longer valid frame.
    extra.push_back(0x55);
    EXPECT_FALSE(accepted(extra));
    Bytes corrupted = good;
    corrupted[3] ^= 0x01;
    EXPECT_FALSE(accepted(corrupted));
    EXPECT_FALSE(accepted(Build(19200, 1, 0x33, {0x10}))); // a request's start byte
    // Too short to be a frame even when the last byte is the CRC of the rest.
    std::uint8_t start = frames::Rs485ReplyStart;
    EXPECT_FALSE(accepted({start, frames::Crc8(&start, 1)}));
    Bytes three{start, 0x00, 0x00};
    three[2] = frames::Crc8(three.data(), 2);
    EXPECT_FALSE(accepted(three));
    EXPECT_FALSE(accepted({}));
}

TEST(Frames, AcceptsKlineReplies) {
    frames::ReplyFrame reply;
    Bytes frame = Build(9600, 0, 0, {' ', '#', 'f', 'A', 'B', 'C'});
    ASSERT_TRUE(frames::AcceptKlineFrame(frame.data(), static_cast<int>(frame.size()), reply));
    EXPECT_EQ(reply.command, 'f');
    EXPECT_EQ(reply.address, 0);
    EXPECT_EQ(std::string(reply.payload, reply.payload + reply.length), "ABC");

    // Bytes behind the sum are ignored; header bytes 1 to 3 are not checked.
    Bytes trailing = frame;
    trailing.insert(trailing.end(), {0x02, 0x4D});
    EXPECT_TRUE(frames::AcceptKlineFrame(trailing.data(), static_cast<int>(trailing.size()), reply));
    Bytes header = frame;
    header[1] = 0x00;
    header[3] = 0x7F;
    EXPECT_TRUE(frames::AcceptKlineFrame(header.data(), static_cast<int>(header.size()), reply));

    Bytes letterOnly = Build(9600, 3, 4, {' ', '#', 'T'});
    ASSERT_TRUE(frames::AcceptKlineFrame(letterOnly.data(), static_cast<int>(letterOnly.size()), reply));
    EXPECT_EQ(reply.command, 'T');
    EXPECT_EQ(reply.length, 0);
}

TEST(Frames, RejectsBadKlineRuns) {
    auto accepted = [](const Bytes& run) {
        frames::ReplyFrame reply;
        return frames::AcceptKlineFrame(run.data(), static_cast<int>(run.size()), reply);
    };
    Bytes good = Build(9600, 0, 0, {' ', '#', 'f', '1'});
    ASSERT_TRUE(accepted(good));

    Bytes cut = good;
    cut.pop_back();
    EXPECT_FALSE(accepted(cut));
    Bytes badSum = good;
    badSum[8] ^= 0x20;
    EXPECT_FALSE(accepted(badSum));
    Bytes badStart = good;
    badStart[0] = 0x03;
    EXPECT_FALSE(accepted(badStart));
    // A correct sum over fewer than the three leading text bytes.
    EXPECT_FALSE(accepted(Build(9600, 0, 0, {' ', '#'})));
    EXPECT_FALSE(accepted(Build(9600, 0, 0, {})));
    EXPECT_FALSE(accepted(Bytes(good.begin(), good.begin() + 6)));
    // A length byte that claims more than the run holds is never read past.
    Bytes claimsMore = {0x02, 0x4D, 0x6C, 0x02, 0x00, 0x00, 0xFF};
    EXPECT_FALSE(accepted(claimsMore));
}

} // namespace
