// Receiving replies: echo, stray bytes, the whole-frame wait, the read limit and bad runs.
#include "configurator/main_globals.h"
#include "tests/configurator/link_fixture.h"

namespace {

using namespace sensor_emulator;
using namespace testing_support;

// The 0x34 reply of value 0x0123, shown as "291".
const std::string ValueFrame = EncodeRs485Reply(0, 0x34, {0x23, 0x01});

Bytes Joined(Bytes front, const std::string& back) {
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

std::string Dump(const std::string& bytes) {
    return HexBytes(bytes) + " ";
}

using Receive = LinkTest;

TEST_F(Receive, EchoSeenOnceIsSkippedByCountFromThenOn) {
    OpenScriptedLink(true);
    SensorLink = link;
    device.answers = {AsBytes(ValueFrame), AsBytes(EncodeRs485Reply(0, 0x34, {0x2A, 0x00}))};
    link->PushRequest(0x34);
    Pump(200);
    EXPECT_TRUE(link->echoMode);
    EXPECT_EQ(Shown(Form1->Edit26), "291");
    link->PushRequest(0x34);
    EXPECT_EQ(link->echoSkip, 4);
    Pump(200);
    EXPECT_EQ(Shown(Form1->Edit26), "42");
    EXPECT_TRUE(Logged(" ---> :\t" + Dump(EncodeRs485Reply(0, 0x34, {0x2A, 0x00}))));
}

TEST_F(Receive, RunsThatAreNoFrameAreLoggedOnlyWhileConnected) {
    struct Row {
        const char* what;
        Bytes answer;
        bool connected;
        std::string shown, badLine;
    };
    const Row rows[] = {
        {"one stray byte", Joined({0x00}, ValueFrame), true, "291", ""},
        {"two stray bytes", Joined({0x00, 0x01}, ValueFrame), true, "",
         "Bad message:\t01 " + Dump(ValueFrame)},
        {"two stray bytes while searching", Joined({0x00, 0x01}, ValueFrame), false, "", ""},
        {"our own request only", {0x31, 0x00, 0x34, 0x1F}, true, "", "Bad message:\t31 00 34 1F "},
    };
    OpenScriptedLink();
    for (const Row& row : rows) {
        SensorLink = row.connected ? link : nullptr;
        Form1->Edit26->SetText(u"");
        std::size_t linesBefore = LinkLog().size();
        device.answers = {row.answer};
        clock.Advance(1000); // a bad run leaves its request to time out
        link->PushRequest(0x34);
        Pump(200);
        EXPECT_EQ(Shown(Form1->Edit26), row.shown) << row.what;
        std::vector<std::string> lines = LinkLog();
        std::vector<std::string> bad;
        std::copy_if(lines.begin() + static_cast<std::ptrdiff_t>(linesBefore), lines.end(),
                     std::back_inserter(bad),
                     [](const std::string& text) { return text.starts_with("Bad message"); });
        EXPECT_EQ(bad, row.badLine.empty() ? std::vector<std::string>{} : std::vector{row.badLine})
            << row.what;
    }
    SensorLink = nullptr;
}

TEST_F(Receive, WholeFrameIsReadOnceItsBytesCouldHaveComeInOneBurst) {
    const std::string rs485 = EncodeRs485Reply(0, 0x34, {1, 0, 0, 0, 0, 0, 0, 0});
    const std::tuple<std::int32_t, std::string, std::uint32_t, std::string> rows[] = {
        {9600, EncodeKlineReply(0, 0, " #R"), 110, " ---> : #R"}, // twelve bytes each
        {19200, rs485, 105, " ---> :\t" + Dump(rs485)},
    };
    for (const auto& [baud, reply, waitMs, logged] : rows) {
        OpenScriptedLink();
        link->SetSpeed(baud);
        device.answers = {AsBytes(reply)};
        link->PushRequest(0x34);
        std::uint32_t sent = link->replyTick;
        for (int i = 0; i < 300 && !link->firstByteSeen; ++i)
            Pump(1);
        ASSERT_TRUE(link->firstByteSeen) << baud;
        auto firstByte = static_cast<std::uint32_t>(link->requestTick);
        for (int i = 0; i < 300 && link->replyTick == sent; ++i)
            Pump(1);
        EXPECT_EQ(link->replyTick - firstByte, waitMs) << baud;
        EXPECT_TRUE(Logged(logged)) << baud;
        delete link;
        line.reset();
    }
    link = nullptr;
}

TEST_F(Receive, ReadTakes300BytesAndLeavesTheRestForTheNextCall) {
    OpenScriptedLink();
    SensorLink = link;
    device.answers = {Joined(Bytes(300, 0x55), ValueFrame)};
    link->PushRequest(0x34);
    Pump(400);
    // The first of the 300, no start byte, was dropped.
    EXPECT_TRUE(Logged("Bad message:\t" + Dump(std::string(299, 0x55))));
    EXPECT_EQ(Shown(Form1->Edit26), "291");
}

TEST_F(Receive, IncompleteEchoLeavesTheBytesWaiting) {
    OpenScriptedLink();
    device.answers = {Bytes(8, 0x31)};
    link->PushRequest(0x34);
    link->echoSkip = 12;
    Pump(300);
    EXPECT_EQ(link->echoSkip, 12);
    EXPECT_FALSE(link->firstByteSeen);
}

TEST_F(Receive, FailedReadDecodesNothing) {
    OpenScriptedLink();
    SensorLink = link;
    line->Unplug();
    for (int call = 0; call < 2; ++call, clock.Advance(200))
        link->OnReceive(12);
    EXPECT_TRUE(Logged("Bad message:\t"));
}

TEST_F(Receive, FirmwareStartDeletesTheLinkInsideTheReceiveCall) {
    OpenScriptedLink();
    SensorLink = link;
    Form1->Edit11->SetText(u"77");
    device.answers = {AsBytes(EncodeRs485Reply(0, 0x3A, {0}))};
    link->PushRequest(0x3A);
    Pump(300);
    EXPECT_EQ(link, nullptr);
    EXPECT_EQ(SensorLink, nullptr);
    EXPECT_EQ(Shown(Form1->Label15), "Готово");
}

} // namespace
