// The sensor link's scheduler and send path on the virtual clock, and its number reading.
#include "configurator/link/rsport.h"

#include "configurator/link/link_text.h"
#include "tests/configurator/link_fixture.h"

namespace {

using namespace sensor_emulator;
using namespace testing_support;

using Scheduler = LinkTest;

TEST_F(Scheduler, DetectingLinkProbesBothSpeedsInTurn) {
    OpenScriptedLink(false, true);
    for (int i = 0; i < 4; ++i, clock.Advance(500))
        link->PushRequest(0x06); // replaced by the next probe
    const std::pair<Bytes, std::uint32_t> expected[] = {{{0x31, 0x00, 0x80, 0xF9}, 19200},
                                                        {{0x31, 0x00, 0x33, 0x29}, 19200},
                                                        {AsBytes(EncodeKlineRequest(0, 0, " #f")), 9600},
                                                        {{0x31, 0x00, 0x80, 0xF9}, 19200}};
    std::vector<LineWrite> writes = line->Writes();
    ASSERT_EQ(writes.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(std::pair(writes[i].bytes, writes[i].baud), expected[i]) << i;
    EXPECT_TRUE(Logged(" <--- :\t31 00 80 F9 "));
    EXPECT_TRUE(Logged(" <--- : #f")); // a K-line request as text only
    EXPECT_TRUE(Logged("Setting speed:\t9600"));
}

TEST_F(Scheduler, NextRequestWaitsForTheReplyTime) {
    OpenScriptedLink();
    for (auto [connected, waitMs] : {std::pair{false, 500u}, {true, 999u}}) {
        SensorLink = connected ? link : nullptr;
        std::size_t before = Written().size();
        link->PushRequest(0x31);
        link->PushRequest(0x06);
        clock.Advance(waitMs - 1);
        link->SendNext();
        EXPECT_EQ(Written().size(), before + 1) << waitMs;
        clock.Advance(1);
        link->SendNext();
        ASSERT_EQ(Written().size(), before + 2) << waitMs;
        EXPECT_EQ(Written().back()[2], 0x06);
        clock.Advance(waitMs);
        link->SendNext();
    }
    SensorLink = nullptr;
}

TEST_F(Scheduler, KlineDropsCodesItCannotSayOrThatDoNotFit) {
    OpenScriptedLink();
    link->SetSpeed(9600);
    link->RequestQueue = {0x1A, 0x35, 0x31};
    link->SendNext();
    EXPECT_EQ(Written(), std::vector<Bytes>{AsBytes(EncodeKlineRequest(0, 0, " #K0"))});
    EXPECT_EQ(link->pendingRequest, 0x31);

    Form1->Edit2->SetText(UnicodeString(std::u16string(260, u'1')));
    clock.Advance(500);
    link->RequestQueue = {0x32, 0x47};
    link->SendNext();
    ASSERT_EQ(Written().size(), 2u);
    EXPECT_EQ(Written()[1], AsBytes(EncodeKlineRequest(0, 0, " #X0")));
    std::vector<std::string> log = LinkLog();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& text) {
        return text.starts_with("Text too long for a frame, not sent:\t #W0 " + std::string(260, '1'));
    }));
}

TEST_F(Scheduler, FailedBuildIsDroppedByTheNextSendEvenLateInTheTickRange) {
    clock.Set(0x90000000); // a tick that is negative as a signed number
    OpenScriptedLink();
    Form1->Edit9->SetText(u"abc");
    EXPECT_THROW(link->PushRequest(0x30), EConvertError);
    EXPECT_TRUE(Written().empty());
    EXPECT_EQ(link->pendingRequest, 0x30);
    link->PushRequest(0x31);
    ASSERT_EQ(Written().size(), 1u);
    EXPECT_EQ(Written()[0][2], 0x31);
}

TEST_F(Scheduler, ReplyTimesOutAfter2500Ms) {
    OpenScriptedLink();
    clock.Advance(2500);
    EXPECT_FALSE(link->ReplyTimedOut());
    clock.Advance(1);
    EXPECT_TRUE(link->ReplyTimedOut());
}

TEST(LinkText, TakeLeadingNumberReadsLikeAtolAndCutsAtTheFirstBlank) {
    struct Row {
        std::string text;
        std::int32_t number;
        std::string rest;
    };
    const Row rows[] = {
        {"12 34", 12, "34"},
        {"34", 34, "34"},
        {"  -7x 1", -7, " -7x 1"},
        {"abc def", 0, "def"},
        {"", 0, ""},
        {"99999999999 1", 2147483647, "1"},
        {"-99999999999", INT32_MIN, "-99999999999"},
    };
    for (const Row& row : rows) {
        std::string text = row.text;
        EXPECT_EQ(TakeLeadingNumber(text), row.number) << row.text;
        EXPECT_EQ(text, row.rest) << row.text;
    }
}

} // namespace
