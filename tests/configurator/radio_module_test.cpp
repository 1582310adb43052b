#include <gtest/gtest.h>

#include <vector>

#include "platform/vcl/user_input.h"
#include "tests/configurator/main_window_fixture.h"

namespace {

using vcl::headless::MessageBoxes;

const UnicodeString ModeOff = u"Режим добавления";
const UnicodeString ModeOn = u"Выключить режим";

struct RadioModuleTest : testing_support::ShownWindowTest {
    RSport& link = ConnectWaitingLink();

    RadioModuleTest() {
        form.GroupBox1->Show();
        link.moduleAddress = 9;
        link.address = 9;
        link.RadioDevices = {{100, 5}, {3000000000u, 7}};
        form.ComboBox3->Items().Assign({u"100", u"3000000000", u"42"});
    }
};

TEST_F(RadioModuleTest, AddModeStartsOnlyByAClickAndEachTransitionQueuesOne81) {
    form.ComboBox3->SetItemIndex(1);
    form.Button8Click(nullptr); // no sender while off: no transition
    EXPECT_EQ(form.Button8->Caption(), ModeOff);
    EXPECT_TRUE(Queued(link).empty());

    clock.Advance(1234);
    link.requestTick = static_cast<std::int32_t>(GetTickCount()); // the poll is still answered
    vcl::UserClick(*form.Button8);
    EXPECT_EQ(form.Button8->Caption(), ModeOn);
    EXPECT_TRUE(form.Label11->Visible());
    EXPECT_EQ(form.Label11->Caption(), UnicodeString(u"300"));
    EXPECT_EQ(form.ComboBox3->ItemIndex(), -1);
    EXPECT_EQ(link.address, 9); // the selection shown is cleared, the address stays
    EXPECT_EQ(form.StatusTick, GetTickCount());
    EXPECT_EQ(Queued(link), std::vector<int>{0x81});

    vcl::UserClick(*form.Button8);
    EXPECT_EQ(form.Button8->Caption(), ModeOff);
    EXPECT_FALSE(form.Label11->Visible());
    EXPECT_EQ(Queued(link), (std::vector<int>{0x81, 0x81}));
}

TEST_F(RadioModuleTest, CountdownShowsTheSecondsLeftAndEndsTheModeOnItsZeroTick) {
    vcl::UserClick(*form.Button8);
    const std::uint32_t start = form.StatusTick;
    struct Row {
        std::uint32_t elapsed;
        const char16_t* shown;
        bool on;
    };
    const Row rows[] = {
        {0, u"300", true},    {999, u"300", true},   {1000, u"299", true},
        {299999, u"1", true}, {300000, u"0", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.elapsed);
        clock.Set(start + row.elapsed);
        link.replyTick = GetTickCount(); // the module keeps answering
        form.Timer1Timer(form.Timer1);
        EXPECT_EQ(form.Label11->Caption(), UnicodeString(row.shown));
        EXPECT_EQ(form.Button8->Caption() == ModeOn, row.on);
        EXPECT_EQ(form.Label11->Visible(), row.on);
    }
    EXPECT_EQ(Queued(link).back(), 0x81);
}

TEST_F(RadioModuleTest, MissedZeroSecondLetsTheCountGoNegativeAndTheModeStay) {
    vcl::UserClick(*form.Button8);
    clock.Set(form.StatusTick + 301000);
    link.replyTick = GetTickCount();
    form.Timer1Timer(form.Timer1);
    EXPECT_EQ(form.Label11->Caption(), UnicodeString(u"-1"));
    EXPECT_EQ(form.Button8->Caption(), ModeOn);
}

TEST_F(RadioModuleTest, ChoosingADevicePointsTheLinkAtItAndAsksForItsReleaseAndKind) {
    struct Row {
        int index;
        const char16_t* serial;  // Edit11
        const char16_t* address; // Edit10
        int linkAddress;
        std::vector<int> queued;
    };
    const Row rows[] = {
        {0, u"100", u"5", 5, {0x1A, 0x05}},
        {1, u"3000000000", u"7", 7, {0x1A, 0x05}}, // above the signed range, read back unsigned
        {2, u"42", u"0", 0, {0x1A, 0x05}},         // not listed: added with address 0
        {-1, u"", u"", 9, {}},                     // no device: the module itself
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        link.RequestQueue.clear();
        form.Edit11->SetText(u"x");
        form.Edit10->SetText(u"x");
        if (row.index >= 0) {
            vcl::UserSelect(*form.ComboBox3, row.index);
        } else {
            form.ComboBox3->SetItemIndex(-1);
            form.ComboBox3Change(nullptr);
        }
        EXPECT_EQ(form.Edit11->Text(), UnicodeString(row.serial));
        EXPECT_EQ(form.Edit10->Text(), UnicodeString(row.address));
        EXPECT_EQ(link.address, row.linkAddress);
        EXPECT_EQ(Queued(link), row.queued);
    }
    EXPECT_EQ(link.RadioDevices.at(42), 0);
}

TEST_F(RadioModuleTest, RemovalAsksFirstAndQueuesOnlyOnYes) {
    vcl::UserClick(*form.Button9); // Edit11 empty: no question
    EXPECT_TRUE(MessageBoxes().empty());

    form.Edit11->SetText(u"3000000000");
    vcl::headless::AnswerMessageBoxes({IDNO, IDYES});
    vcl::UserClick(*form.Button9);
    EXPECT_TRUE(Queued(link).empty());
    vcl::UserClick(*form.Button9);
    EXPECT_EQ(Queued(link), std::vector<int>{0x82});
    ASSERT_EQ(MessageBoxes().size(), 2u);
    EXPECT_EQ(MessageBoxes()[0].text,
              UnicodeString(u"Уверены, что хотите удалить из радио-модуля ДУТ с номером 3000000000"));
    EXPECT_EQ(MessageBoxes()[0].caption, UnicodeString(u"Предупреждение"));
    EXPECT_EQ(MessageBoxes()[0].type, MB_YESNO);
    EXPECT_EQ(MessageBoxes()[0].owner, form.Handle());
}

TEST_F(RadioModuleTest, SensorDroppedWhileTheQuestionIsUpQueuesNothing) {
    form.Edit11->SetText(u"100");
    vcl::headless::AnswerMessageBoxes({IDYES});
    // The box pumps messages; the connection timer finds the module silent meanwhile.
    vcl::headless::WhileMessageBoxUp([] { vcl::headless::RunFor(3000); });
    vcl::UserClick(*form.Button9);
    EXPECT_EQ(SensorLink, nullptr);
    EXPECT_EQ(MessageBoxes().size(), 1u);
}

} // namespace
