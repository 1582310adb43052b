#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/vcl/user_input.h"
#include "tests/configurator/main_window_fixture.h"

namespace {

struct CommandsTest : testing_support::ShownWindowTest {};

TEST_F(CommandsTest, EachButtonQueuesItsCommandThenTheModelsSettingsReadBack) {
    enum Model { Basic, Controller, WithPanel, PanelAndController };
    struct Row {
        TButton* TForm1::*button;
        Model model;
        std::vector<int> queued;
        const char16_t* state;
    };
    const Row rows[] = {
        {&TForm1::Button1, Basic, {0x36, 0x31}, u"Сброс автокалибровки"},
        {&TForm1::Button2, Controller, {0x09, 0x3E}, u"Калибровка пустого бака"},
        {&TForm1::Button3, WithPanel, {0x08, 0x43}, u"Калибровка полного бака"},
        {&TForm1::Button4, Basic, {0x30, 0x31}, u"Калибровка по длине трубки"},
        {&TForm1::Button5, Controller, {0x03, 0x3E}, u"Запись адреса"},
        {&TForm1::Button6, Basic, {0x32, 0x31}, u"Запись калибровки"},
        {&TForm1::Button6, Controller, {0x3F, 0x3E}, u"Запись калибровки"},
        {&TForm1::Button6, WithPanel, {0x44, 0x43}, u"Запись калибровки"},
        {&TForm1::Button6, PanelAndController, {0x44, 0x43}, u"Запись калибровки"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << (form.*row.button)->Name().ToUtf8() << " model " << row.model);
        RSport& link = ConnectWaitingLink();
        form.Panel2->SetVisible(row.model == WithPanel || row.model == PanelAndController);
        form.ComboBox4->SetVisible(row.model == Controller || row.model == PanelAndController);
        form.Label15->SetCaption(UnicodeString());
        vcl::UserClick(*(form.*row.button));
        EXPECT_EQ(Queued(link), row.queued);
        EXPECT_EQ(form.Label15->Caption(), UnicodeString(row.state));
        delete SensorLink;
        SensorLink = nullptr;
    }
}

TEST_F(CommandsTest, PasswordButtonQueuesOnlyTheWriteAndNothingWorksWithoutASensor) {
    std::filesystem::create_directory("ZNTK");
    const UnicodeString shown = form.Label15->Caption();
    for (TButton* button :
         {form.Button1, form.Button2, form.Button3, form.Button4, form.Button5, form.Button6, form.Button10})
        vcl::UserClick(*button);
    EXPECT_EQ(form.Label15->Caption(), shown);
    EXPECT_TRUE(std::filesystem::is_empty("ZNTK"));

    RSport& link = ConnectWaitingLink();
    form.Panel2->Show();
    vcl::UserClick(*form.Button10);
    EXPECT_EQ(Queued(link), std::vector<int>{0x46});
    EXPECT_EQ(form.Label15->Caption(), shown);
}

} // namespace
