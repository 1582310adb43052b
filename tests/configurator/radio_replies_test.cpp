// The radio module's replies: its device list and the values of the selected device.
#include "tests/configurator/link_fixture.h"

namespace {

using namespace testing_support;

struct RadioReplies : ReplyTest {
    RadioReplies() : ReplyTest(19200) {}
};

// Module 555 at address 9 with the devices (serial, address) behind it.
Bytes ModuleList(const std::vector<std::pair<std::uint32_t, std::uint8_t>>& devices) {
    Bytes bytes{0x2B, 0x02, 0, 0, 9, static_cast<std::uint8_t>(devices.size())};
    for (auto [serial, address] : devices)
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(serial), static_cast<std::uint8_t>(serial >> 8),
                                   static_cast<std::uint8_t>(serial >> 16),
                                   static_cast<std::uint8_t>(serial >> 24), address});
    return bytes;
}

TEST_F(RadioReplies, ModuleListSelectsADeviceAddedSinceTheLastList) {
    const std::uint32_t first = 1001, added = 3000000000u;
    Decode(0x80, ModuleList({{first, 4}}));
    EXPECT_TRUE(Form1->GroupBox1->Visible());
    EXPECT_EQ(Shown(Form1->Edit14) + " " + Shown(Form1->Edit13), "555 9");
    EXPECT_EQ(std::pair(link->moduleAddress, link->address), std::pair(9, 9));
    // The module's release is not known yet on the first list: nothing is selected.
    EXPECT_EQ(Form1->ComboBox3->ItemIndex(), -1);
    EXPECT_TRUE(link->RequestQueue.empty());

    Form1->Edit15->SetText(u"M1");
    Form1->Button8->SetCaption(u"Выключить режим");
    Decode(0x80, ModuleList({{first, 4}, {added, 6}}));
    EXPECT_EQ(Shown(Form1->Button8), "Режим добавления");
    EXPECT_EQ(Form1->ComboBox3->ItemIndex(), 1);
    EXPECT_EQ(Shown(Form1->Edit11), "3000000000");
    EXPECT_EQ(link->address, 6);
    EXPECT_EQ(Queued(*link), (std::vector<int>{0x81, 0x1A, 0x05}));

    link->RequestQueue.clear();
    Decode(0x80, ModuleList({{added, 7}, {first, 4}}));
    EXPECT_EQ(Form1->ComboBox3->Items().Strings(0).ToUtf8(), "3000000000");
    EXPECT_EQ(Form1->ComboBox3->ItemIndex(), -1);
    EXPECT_EQ(link->RadioDevices, (std::unordered_map<std::uint32_t, std::int32_t>{{first, 4}, {added, 7}}));
    EXPECT_TRUE(link->RequestQueue.empty());
}

TEST_F(RadioReplies, DeviceValuesInBothLayouts) {
    auto layout = [](const char16_t* caption) {
        return [=](TForm1& form, RSport&) { form.Label31->SetCaption(caption); };
    };
    const ReplyRow rows[] = {
        {"single sensor",
         0x86,
         {10, 0, 0x00, 0x80, 0xAB, 0x0A, 0, 0, 0xF6, 0x60, 0x9C, 0xD2, 0x04, 0x00, 0x10},
         layout(u"Текущее"),
         {{u"Edit17", "10"},
          {u"Label26", "Давность, мин"},
          {u"Edit26", "2731"},
          {u"Edit25", "0"},
          {u"Edit8", "-10"},
          {u"Edit16", "2,81"},
          {u"Edit7", "-99"},
          {u"Edit6", "1234"},
          {u"Edit5", "5"}}},
        // Tenths of a kelvin; a raw 0 is no reading and stays 0.
        {"three sensors",
         0x86,
         {0, 0, 0x00, 0x00, 0xAB, 0x0A, 0, 0, 0x00, 0xFF, 0xFD, 0x0F, 0x0B, 0x00, 0x08},
         layout(u"Сенсор 3"),
         {{u"Label26", "Давность, сек"},
          {u"Edit26", "0.1"},
          {u"Edit25", "0"},
          {u"Edit16", "-0,03"},
          {u"Edit7", "-74"},
          {u"Edit6", "10,1"},
          {u"Edit5", "2,5"}}},
        // 273.0 exactly: the product is rounded before the offset, so no 1e-14 is left over.
        {"three sensors at 0 and 1 degrees",
         0x86,
         {0, 0, 0x00, 0x00, 0xAA, 0x0A, 0xB4, 0x0A, 0x00, 0x00, 0x00, 0xAA, 0x0A, 0x00, 0x00},
         layout(u"Сенсор 3"),
         {{u"Edit26", "0"}, {u"Edit25", "1"}, {u"Edit6", "0"}}},
    };
    for (const ReplyRow& row : rows)
        Check(row);
}

} // namespace
