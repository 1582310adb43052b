// What each request carries in both frame formats, built from the window's fields.
#include "configurator/link/request_payloads.h"

#include <optional>

#include "configurator/link/frames.h"
#include "tests/configurator/link_fixture.h"

namespace {

using namespace testing_support;

class RequestPayloads : public ReplyTest {
  protected:
    RequestPayloads() : ReplyTest(19200) {
        link->sensorNumber = 5;
        link->moduleAddress = 3;
    }
    // Every EditN holds N, so a payload spells out the order of its fields.
    void Fill() {
        for (int i = 0; i < Form1->ComponentCount(); ++i)
            if (auto* edit = dynamic_cast<TEdit*>(Form1->Components(i)))
                edit->SetText(edit->Name().SubString(5, 2));
        Form1->CheckBox1->SetChecked(true);
        Form1->ComboBox2->SetItemIndex(1);
        Form1->ComboBox4->SetItemIndex(2);
        Form1->CheckBox2->SetChecked(true);
        Form1->ComboBox1->SetItemIndex(1);
        link->address = 9;
    }
    Bytes Rs485(RequestCode code) {
        Bytes payload(frames::FrameAreaSize);
        payload.resize(static_cast<std::size_t>(BuildRs485Payload(*link, code, payload.data())));
        return payload;
    }
    std::optional<std::string> Kline(RequestCode code) {
        std::optional<TString> text = KlineRequestText(*link, code);
        return text ? std::optional(text->ToStdString(65001)) : std::nullopt;
    }
};

TEST_F(RequestPayloads, BothFormsOfEachKindOfField) {
    struct Row {
        RequestCode code;
        std::function<void(TForm1&)> setup;
        Bytes rs485;
        std::optional<std::string> kline;
        int addressAfter = 9;
    };
    Bytes settings{2, 0,  3, 0,  4, 0,  43, 0,  20, 0,  21, 0,  18, 0,  19,
                   0, 22, 0, 23, 0, 24, 0,  27, 0,  28, 0,  29, 0,  30, 0};
    const std::string settingsText = " #S5 2 3 4 43 20 21 18 19 22 23 24 27 28 29 30";
    Bytes full = settings;
    full.insert(full.end(), {32, 0, 33, 0, 34, 0, 35, 0});
    Bytes noOutput = settings;
    noOutput[6] = 0xFD, noOutput[7] = 0xFF; // 1 + 4 x (-1)
    auto set = [](TEdit* TForm1::*edit, const char16_t* text) {
        return [=](TForm1& f) { (f.*edit)->SetText(text); };
    };
    const Row rows[] = {
        {0x03, nullptr, {10}, " #R5=10"},
        {0x30, set(&TForm1::Edit9, u"70000"), {0x70, 0x11}, " #C5 70000"}, // cut to 16 bits
        {0x32, [](TForm1& f) { f.ComboBox2->SetItemIndex(-1); }, {2, 0, 3, 0, 4, 0, 0xFF}, " #W5 2 3 4 7"},
        {0x33, nullptr, {}, " #f", 0},
        {0x34, nullptr, {}, " #E5"},
        {0x34, [](TForm1& f) { f.ComboBox4->Hide(); }, {}, " #B5"},
        {0x36, nullptr, {}, " #C5 0"},
        {0x1A, nullptr, {}, std::nullopt},
        {0x3A, set(&TForm1::Edit11, u"3000000000"), {0x00, 0x5E, 0xD0, 0xB2}, " #T5 BOOT"},
        {0x44, nullptr, full, settingsText + " 32 33 34 35"},
        {0x3F,
         [](TForm1& f) {
             f.ComboBox2->SetItemIndex(0), f.ComboBox4->SetItemIndex(-1), f.CheckBox2->SetChecked(false);
         },
         noOutput, " #S5 2 3 4 65533 20 21 18 19 22 23 24 27 28 29 30"},
        {0x46, set(&TForm1::Edit31, u"Аz"), {0xC0, 0x7A, 0, 0, 0, 0, 0, 0}, " #P5=-64 122 0 0 0 0 0 0 "},
        {0x46, set(&TForm1::Edit31, u"abcdefghij"), AsBytes("abcdefgh"),
         " #P5=97 98 99 100 101 102 103 104 "},
        {0x80, nullptr, {}, std::nullopt, 0},
        {0x81, [](TForm1& f) { f.Button8->SetCaption(u"Выключить режим"); }, {5}, std::nullopt, 3},
        {0x81, [](TForm1& f) { f.Button8->SetCaption(u"Режим добавления"); }, {0}, std::nullopt},
        {0x82,
         [](TForm1& f) {
             f.Edit11->SetText(u"4294967295");
             f.ComboBox3->Items().Add(u"4294967295");
             f.ComboBox3->SetItemIndex(0);
         },
         {0xFF, 0xFF, 0xFF, 0xFF},
         std::nullopt,
         3},
    };
    for (const Row& row : rows) {
        Fill();
        if (row.setup) row.setup(*Form1);
        SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << int(row.code));
        EXPECT_EQ(Kline(row.code), row.kline);
        EXPECT_EQ(Rs485(row.code), row.rs485);
        EXPECT_EQ(link->address, row.addressAfter);
    }
    EXPECT_EQ(Form1->ComboBox3->ItemIndex(), -1); // cleared by the removal request
}

TEST_F(RequestPayloads, FieldThatIsNoNumberStopsTheBinaryBuildOnly) {
    Fill();
    Form1->Edit9->SetText(u"12a");
    EXPECT_THROW(Rs485(0x30), EConvertError);
    EXPECT_EQ(Kline(0x30), " #C5 12a");
    Form1->Edit11->SetText(u"4294967296");
    EXPECT_THROW(Rs485(0x3A), EConvertError);
}

} // namespace
