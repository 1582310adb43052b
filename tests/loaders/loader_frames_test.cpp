// The loaders keep their own checksum code; their frames must match the configurator's byte for
// byte.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "configurator/link/frames.h"
#include "loaders/kline/kline_frame.h"
#include "loaders/kline/kline_receiver.h"
#include "loaders/rs485/rs485_frame.h"
#include "tests/loaders/loader_fixture.h"

namespace loader_tests {
namespace {

using namespace loaders;

std::vector<std::uint8_t> Bytes(const char* text) {
    return {text, text + std::strlen(text)};
}

TEST(LoaderChecksums, MatchTheConfiguratorsOnEveryInput) {
    EXPECT_EQ(kline::Sum16(reinterpret_cast<const BYTE*>("abc"), 3), 0x27D7);
    EXPECT_EQ(kline::Sum16(nullptr, 0), 0);
    EXPECT_EQ(rs485::Crc8(reinterpret_cast<const BYTE*>("123456789"), 9), 0xA1);
    EXPECT_EQ(rs485::Crc8(nullptr, 0), 0);
    std::vector<std::uint8_t> data(255);
    for (int round = 0; round < 64; ++round) {
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<std::uint8_t>(i * 131 + round * 17 + (i >> 3));
        for (int count : {1, 2, 9, 63, 255}) {
            EXPECT_EQ(kline::Sum16(data.data(), static_cast<BYTE>(count)), frames::Sum16(data.data(), count));
            EXPECT_EQ(rs485::Crc8(data.data(), static_cast<BYTE>(count)), frames::Crc8(data.data(), count));
        }
    }
    for (int crc = 0; crc < 256; ++crc)
        for (int byte = 0; byte < 256; ++byte) {
            std::uint8_t one = static_cast<std::uint8_t>(byte ^ crc);
            ASSERT_EQ(rs485::Crc8Step(static_cast<BYTE>(byte), static_cast<BYTE>(crc)),
                      frames::Crc8(&one, 1));
        }
}

TEST(LoaderDecimals, FormatAndParse) {
    BYTE out[12] = {};
    struct Row {
        DWORD value;
        int limit;
        const char* digits;
    };
    const Row rows[] = {
        {0, 11, "0"}, {7, 11, "7"}, {4711, 11, "4711"}, {4294967295u, 11, "4294967295"}, {123456, 3, "456"}};
    for (const auto& row : rows) {
        std::memset(out, '*', sizeof out);
        int count = kline::FormatDecimal(row.value, out, row.limit);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), static_cast<std::size_t>(count)), row.digits);
        EXPECT_EQ(out[count], '*') << "no terminator";
    }
    const BYTE text[] = "4711OK";
    const BYTE* cursor = text;
    EXPECT_EQ(kline::ParseDecimal(cursor), 4711u);
    EXPECT_EQ(cursor, text + 4);
    const BYTE none[] = "OK";
    cursor = none;
    EXPECT_EQ(kline::ParseDecimal(cursor), 0u);
    EXPECT_EQ(cursor, none);
}

class LoaderFrames : public LoaderFixture {
  protected:
    void SetUp() override {
        LoaderFixture::SetUp();
        BootLoaderScript script;
        script.echo = false;
        script.answerFind = false;
        Connect(script);
        port = new LoaderComPort;
        port->Open("\\\\.\\COM12", 9600);
        // Nothing echoes: each echo read ends by its time-out instead of waiting for ever.
        port->SetTimeouts(40, 0, 40);
    }
};

TEST_F(LoaderFrames, AreByteIdenticalWithTheConfiguratorsFrames) {
    kline::SendFindCommand();
    kline::SendAck(4711);
    deviceNumber = -1; // written as the unsigned 4294967295
    kline::SendBootCommand();
    deviceSerial = 0x89ABCDEF;
    deviceAddress = 0x42;
    rs485::SendRs485Command(0, 0x33);
    rs485::SendBootRequest();
    auto requests = device->Requests();
    // The K-line device hears only the K-line frames; the RS-485 ones are checked on the wire below.
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], KlineFrame(" #F"));
    EXPECT_EQ(requests[1], KlineFrame(" #i4711"));
    EXPECT_EQ(requests[2], KlineFrame(" #T4294967295BOOT"));
    EXPECT_EQ(Rs485Frame(0, 0x33, {}), (std::vector<std::uint8_t>{0x31, 0x00, 0x33, 0x29}));
    EXPECT_EQ(std::vector<std::uint8_t>(txBuffer, txPtr), Rs485Frame(0x42, 0x3A, {0xEF, 0xCD, 0xAB, 0x89}));
    rs485::SendRs485Command(0, 0x33);
    EXPECT_EQ(std::vector<std::uint8_t>(txBuffer, txPtr), Rs485Frame(0, 0x33, {}));
}

// The receive state machine, a byte at a time.
TEST_F(LoaderFrames, ReceiverTakesFramesAndTheAnnouncement) {
    auto feed = [](const std::vector<std::uint8_t>& bytes) {
        kline::RxEvent last = kline::RxEvent::None;
        for (auto byte : bytes)
            last = kline::ReceiveByte(byte);
        return last;
    };
    kline::ResetReceiver();
    EXPECT_EQ(feed(Bytes("BLST")), kline::RxEvent::Announced);
    EXPECT_EQ(rxCount, 0);
    EXPECT_EQ(feed(Bytes("BLT")), kline::RxEvent::None);
    EXPECT_EQ(rxCount, 0) << "the T ends the false start";
    EXPECT_EQ(feed(Bytes("BLSX")), kline::RxEvent::None);
    EXPECT_EQ(feed(Bytes("xyBLST")), kline::RxEvent::Announced);

    for (std::uint8_t length : {std::uint8_t(0), std::uint8_t(55), std::uint8_t(0xFF)}) {
        auto frame = KlineFrame(" #I1");
        frame[6] = length;
        frame.resize(7);
        feed(frame);
        EXPECT_EQ(rxCount, 0) << int(length);
        EXPECT_EQ(rxState, kline::Idle) << int(length);
    }
    auto longest = KlineFrame(" #I9" + std::string(50, ' '));
    ASSERT_EQ(longest.size(), 63u);
    EXPECT_EQ(feed(longest), kline::RxEvent::Identified);
    EXPECT_EQ(deviceNumber, 9);
    EXPECT_EQ(feed(KlineFrame(" #X9")), kline::RxEvent::None);
    EXPECT_EQ(feed(KlineFrame(" I9")), kline::RxEvent::None);
    EXPECT_EQ(feed(KlineFrame(" #")), kline::RxEvent::None);
    EXPECT_EQ(feed(KlineFrame(" ")), kline::RxEvent::None);
    EXPECT_EQ(rxCount, 0);
}

} // namespace
} // namespace loader_tests
