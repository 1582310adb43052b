// K-line text replies into the window.
#include "tests/configurator/link_fixture.h"

namespace {

using namespace testing_support;

struct KlineReplies : ReplyTest {
    KlineReplies() : ReplyTest(9600) {}
};

TEST_F(KlineReplies, IdentifyChoosesTheModel) {
    struct Row {
        std::string text;
        bool outputChoice, nfc;
        std::string release;
        std::vector<int> queued;
    };
    const Row rows[] = {
        {"7 > R1.2$tail", true, false, "R1.2", {0x31}},
        {"7 >:2 R2$", false, true, "R2", {0x43, 0x45, 0x04, 0x47}},
        {"7 >x1 R3 rest", false, false, "R3 rest", {0x3E}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        link->RequestQueue.clear();
        Decode('I', AsBytes(row.text));
        EXPECT_EQ(link->sensorNumber, 7);
        EXPECT_EQ(Form1->ComboBox1->Visible(), row.outputChoice);
        EXPECT_EQ(Form1->GroupBox4->Visible(), !row.outputChoice);
        EXPECT_EQ(Form1->Panel2->Visible(), row.nfc);
        EXPECT_EQ(Shown(Form1->Edit12), row.release);
        EXPECT_EQ(Queued(*link), row.queued);
    }
}

TEST_F(KlineReplies, EachReplyShowsItsNumbers) {
    auto output = [](int index) {
        return [=](TForm1& form, RSport&) { form.ComboBox4->SetItemIndex(index); };
    };
    const std::string settings = ":1 2 3 0 20 21 18 19 22 23 24 27 28 29 30 32 33 34 35";
    const ReplyRow rows[] = {
        {"values",
         'D',
         AsBytes("5:10 20 30 40"),
         output(0),
         {{u"Edit26", "10"}, {u"Edit8", "20"}, {u"Edit25", "30"}, {u"Edit6", "40"}},
         {0x34}},
        {"normalised values",
         'D',
         AsBytes("5:10 20 30 40"),
         output(3),
         {{u"Edit6", "10"}, {u"Edit26", "40"}},
         {0x34}},
        {"state", 'B', AsBytes("5:3 4096"), nullptr, {{u"Label15", "режим автокалибровки"}, {u"Edit5", "5"}}},
        {"unknown state", 'B', AsBytes("7 2048"), nullptr, {{u"Label15", "7"}, {u"Edit5", "2,5"}}},
        {"controller state", 'E', AsBytes(":1 1234 50"), nullptr, {{u"Edit5", "1,234"}, {u"Edit7", "50"}}},
        {"extended settings",
         'Q',
         AsBytes(settings),
         nullptr,
         {{u"Edit20", "20"}, {u"Edit30", "30"}, {u"Edit32", ""}}},
        {"full settings",
         'Q',
         AsBytes(settings),
         [](TForm1& form, RSport&) { form.Panel2->Show(); },
         {{u"Edit35", "35"}}},
        {"calibration failed", 'C', AsBytes(":1"), nullptr, {{u"Label15", "Ошибка калибровки"}}, {0x31}},
        {"write failed", 'W', AsBytes(":1"), nullptr, {{u"Label15", "Ошибка команды W"}}},
        {"write done", 'S', AsBytes("0"), nullptr, {}, {}, {u"Edit2", u"Edit3", u"Edit4"}},
        {"password", 'P', AsBytes(":65 -64 0 66 0 0 0 0"), nullptr, {{u"Edit31", "AА"}}},
        {"address", 'R', AsBytes("x:12"), nullptr, {{u"Edit10", "12"}}, {}, {u"Edit10"}},
        {"last number again", 'X', AsBytes("9"), nullptr, {{u"Edit36", "9"}, {u"Edit39", "9"}}},
    };
    for (const ReplyRow& row : rows)
        Check(row);
}

} // namespace
