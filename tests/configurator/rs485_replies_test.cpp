// RS-485 replies into the window: the status byte, each reply's fields, the model's layout and
// the report of a payload too short for its fields.
#include "tests/configurator/link_fixture.h"

namespace {

using namespace testing_support;

struct Rs485Replies : ReplyTest {
    Rs485Replies() : ReplyTest(19200) {}
};

// Body 2, tube 3, fuel 4, the flag word, then words naming the edit each goes to.
Bytes SettingsWords(std::uint16_t flags, bool full) {
    Bytes bytes{2, 0, 3, 0, 4, 0, static_cast<std::uint8_t>(flags), static_cast<std::uint8_t>(flags >> 8)};
    for (std::uint8_t edit : {20, 21, 18, 19, 22, 23, 24, 27, 28, 29, 30, 32, 33, 34, 35})
        if (full || edit < 32) bytes.insert(bytes.end(), {edit, 0});
    return bytes;
}

TEST_F(Rs485Replies, EachReplyShowsItsFields) {
    auto deviceListed = [](TForm1& form, RSport&) {
        form.Edit12->SetText(u"R1");
        form.ComboBox3->Items().Add(u"3000000000");
    };
    const ReplyRow rows[] = {
        {"identify",
         0x33,
         {0x78, 0x56, 0x34, 0x12, 7},
         nullptr,
         {{u"Edit11", "305419896"}, {u"Edit10", "7"}}},
        {"settings",
         0x31,
         {0xE8, 0x03, 0x10, 0x27, 5, 0, 3},
         nullptr,
         {{u"Edit2", "1000"}, {u"Edit3", "10000"}}},
        {"extended settings",
         0x3E,
         SettingsWords(0, false),
         nullptr,
         {{u"Edit4", "4"}, {u"Edit20", "20"}, {u"Edit18", "18"}, {u"Edit30", "30"}, {u"Edit32", ""}}},
        {"full settings", 0x43, SettingsWords(0, true), nullptr, {{u"Edit30", "30"}, {u"Edit35", "35"}}},
        {"measurement",
         0x06,
         {0xF6, 0x23, 0x01, 0x34, 0x12},
         nullptr,
         {{u"Edit8", "-10"}, {u"Edit6", "291"}, {u"Edit7", "4660"}, {u"Label15", "измерение"}}},
        {"measurement in a state",
         0x06,
         {5, 0xF3, 0xFF, 0, 0},
         nullptr,
         {{u"Label15", "калибровка по длине трубки"}}},
        {"further values",
         0x35,
         {9, 9, 9, 0x2A, 0, 9, 9, 0xD2, 0x04},
         nullptr,
         {{u"Edit25", "42"}, {u"Edit5", "1,234"}}},
        {"tube length done", 0x30, {2}, nullptr, {}, {0x31}, {u"Edit9"}},
        {"settings written", 0x32, {0}, nullptr, {{u"Label15", ""}}, {}, {u"Edit2", u"Edit3", u"Edit4"}},
        {"tube length failed", 0x30, {1}, nullptr, {{u"Label15", "Ошибка команды 48"}}},
        {"boot refused", 0x3A, {1}, nullptr, {{u"Label15", "Ошибка команды 58"}}},
        {"release up to its NUL",
         0x1A,
         AsBytes(std::string("ZNTK 1.2\0garbage!", 17)),
         nullptr,
         {{u"Edit12", "ZNTK 1.2"}}},
        {"release of 16 bytes",
         0x1A,
         AsBytes("0123456789abcdefXYZ"),
         nullptr,
         {{u"Edit12", "0123456789abcdef"}}},
        {"short release in code page 1251", 0x1A, {0xD0, 0xE5, 0xEB}, nullptr, {{u"Edit12", "Рел"}}},
        {"module's release",
         0x1A,
         AsBytes("M2"),
         [](TForm1&, RSport& l) { l.moduleAddress = 9; },
         {{u"Edit15", "M2"}, {u"Edit12", ""}},
         {},
         {},
         9},
        {"release suffix without NUL",
         0x1B,
         AsBytes("rc2"),
         deviceListed,
         {{u"Edit12", "R1 rc2"}, {u"Edit11", "3000000000"}},
         {0x1A, 0x05}},
        {"password", 0x45, AsBytes("abcdefghij"), nullptr, {{u"Edit31", "abcdefgh"}}},
        {"counters",
         0x47,
         {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 3, 0, 4, 0, 5, 0},
         nullptr,
         {{u"Edit36", "4294967295"}, {u"Edit37", "2"}, {u"Edit41", "3"}, {u"Edit38", "4"}, {u"Edit39", "5"}}},
    };
    for (const ReplyRow& row : rows)
        Check(row);
    EXPECT_TRUE(vcl::headless::MessageBoxes().empty());
    // Bits 2..4 give the output as a signed 3-bit index: 5 is -3, no output.
    Form1->ComboBox4->SetItemIndex(1);
    Decode(0x3E, SettingsWords(0x21 | (5 << 2), false));
    EXPECT_EQ(Form1->ComboBox4->ItemIndex(), -1);
    EXPECT_TRUE(Form1->CheckBox1->Checked() && Form1->CheckBox2->Checked());
}

TEST_F(Rs485Replies, ModelKindSwitchesTheLayoutAndReadsItsSettings) {
    struct Row {
        int kind;
        bool radio, threeSensors;
        std::vector<int> queued;
    };
    const Row rows[] = {{0, false, false, {0x31}},
                        {0, true, true, {}},
                        {1, false, false, {0x3E}},
                        {2, false, false, {0x43, 0x45, 0x47}},
                        {2, true, false, {0x45, 0x47}},
                        // An unknown kind shows the controller's choice but reads the plain settings.
                        {3, false, false, {0x31}},
                        {255, false, false, {0x31}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "kind " << row.kind << (row.radio ? " behind a radio module" : ""));
        Form1->GroupBox1->SetVisible(row.radio);
        link->RequestQueue.clear();
        Decode(0x05, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(row.kind)});
        EXPECT_EQ(Form1->ComboBox4->Visible(), row.kind != 0);
        EXPECT_EQ(Form1->Panel2->Visible(), row.kind == 2);
        EXPECT_EQ(Form1->Edit5->Visible(), !row.threeSensors);
        EXPECT_EQ(Shown(Form1->Label31), row.threeSensors ? "Сенсор 3" : "Текущее");
        TGroupBox* settings = Form1->GroupBox4;
        EXPECT_EQ(Form1->ClientWidth(), settings->Left() + (row.kind ? settings->Width() + 12 : 0));
        EXPECT_EQ(Queued(*link), row.queued);
    }
}

TEST_F(Rs485Replies, PayloadTooShortIsReportedAndKeepsWhatWasRead) {
    Form1->Edit4->SetText(u"old");
    Decode(0x31, {0xE8, 0x03, 0x10, 0x27, 0x05});
    Decode(0x32, {}); // no status byte
    EXPECT_EQ(Shown(Form1->Edit2), "1000");
    EXPECT_EQ(Shown(Form1->Edit3), "10000");
    EXPECT_EQ(Shown(Form1->Edit4), "old");
    ASSERT_EQ(vcl::headless::MessageBoxes().size(), 2u);
    for (const auto& box : vcl::headless::MessageBoxes()) {
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.text.ToUtf8() + "|" + box.caption.ToUtf8(), "ДУТ шлёт некорректные данные|Ошибка");
        EXPECT_EQ(box.type, MB_OK);
    }
    std::vector<std::string> log = LinkLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Exception while parsing message"), 2);
    Decode(0x36, {4}); // a failed command is logged as shown
    EXPECT_EQ(LinkLog().back(), "Ошибка команды 54");
}

} // namespace
