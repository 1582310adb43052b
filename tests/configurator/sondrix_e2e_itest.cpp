// The whole configurator, started through its entry, against the sensor models on in-process COM
// ports on the virtual clock: what a service engineer sees on the window, and what the sensor heard.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/configurator/program_fixture.h"
#include "tests/configurator/record_text.h"
#include "tests/support/virtual_clock.h"
#include "tools/sensor_emulator/lines/virtual_serial_line.h"
#include "tools/sensor_emulator/models/kline_sensor_model.h"
#include "tools/sensor_emulator/models/radio_module_model.h"
#include "tools/sensor_emulator/models/rs485_sensor_model.h"
#include "tools/sensor_emulator/models/sensor_payload.h"

namespace {

using namespace sensor_emulator;
using namespace testing_support;

constexpr const char* Rs485Caption = "ДУТ Конфигуратор 4.0: Зенток-D (RS-485)";

struct SondrixRun : ProgramTest {
    VirtualClock clock;
};

std::vector<std::string> Items(const TComboBox& box) {
    std::vector<std::string> items;
    for (int i = 0; i < box.Items().Count(); ++i)
        items.push_back(box.Items().Strings(i).ToUtf8());
    return items;
}

TEST_F(SondrixRun, Rs485SensorIsFoundAdoptedAndItsReadingsFollowThePolls) {
    Rs485SensorModel sensor, other;
    VirtualSerialLine line(3, sensor, {.description = "USB Serial Port"}), otherLine(4, other);
    Start(u"(COM3)"); // the port chosen on the command line, and only that one
    ASSERT_TRUE(WaitForReadings());
    EXPECT_TRUE(other.Requests().empty());
    TForm1& form = Window();
    EXPECT_EQ(form.Caption().ToUtf8(), Rs485Caption);
    EXPECT_TRUE(form.Image2->Visible());
    ExpectShown({{form.Edit1, "COM3"},
                 {form.Edit11, "12345678"},
                 {form.Edit10, "7"},
                 {form.Edit12, "ZNT-D 2.14 b0512"},
                 {form.Edit2, "520"},
                 {form.Edit3, "700"},
                 {form.Edit4, "640"},
                 {form.Edit8, "23"},
                 {form.Edit6, "1234"},
                 {form.Edit7, "7850"},
                 {form.Label15, "измерение"}});
    ASSERT_TRUE(WaitUntil([&] { return !form.Edit5->Text().IsEmpty(); }, 1000));
    ExpectShown({{form.Edit26, "1230"}, {form.Edit25, "1236"}, {form.Edit5, "2.48"}});
    EXPECT_FALSE(form.Label11->Visible());

    // The sensor starts its auto calibration: the next poll shows the state and its timer.
    sensor.SetReadings({.temperature = -4, .level = 0xFFF4, .filtered = 1500});
    ASSERT_TRUE(WaitUntil([&] { return form.Edit26->Text() == u"1500"; }, 1200));
    ExpectShown({{form.Label15, "ожидание автокалибровки"}, {form.Edit6, "65524"}, {form.Edit8, "-4"}});
    EXPECT_TRUE(form.Label11->Visible());
    Close();
}

TEST_F(SondrixRun, CalibrationButtonSendsItsCommandAndEveryNewStateIsRecordedByteForByte) {
    std::filesystem::create_directory("ZNTK"); // the program runs from its own folder
    Rs485SensorModel sensor;
    VirtualSerialLine line(3, sensor);
    const std::string before = LocalStamp();
    Start();
    ASSERT_TRUE(WaitForReadings());
    TForm1& form = Window();
    const std::size_t mark = sensor.Requests().size();
    vcl::UserClick(*form.Button2);
    EXPECT_EQ(form.Label15->Caption().ToUtf8(), "Калибровка пустого бака");
    // The command and the settings read right behind it; the next poll shows the sensor's state.
    ASSERT_TRUE(WaitUntil([&] { return form.Label15->Caption() == u"измерение"; }, 2000));
    std::vector<int> heard = Heard(sensor, mark);
    auto command = std::find(heard.begin(), heard.end(), 0x09);
    ASSERT_NE(command, heard.end());
    ASSERT_NE(command + 1, heard.end());
    EXPECT_EQ(command[1], 0x31);
    const std::string after = LocalStamp();

    const std::string content = folder.Read("ZNTK/12345678.zntk");
    std::size_t at = 0;
    for (const char* state : {"измерение", "Калибровка пустого бака", "измерение"}) {
        SCOPED_TRACE(state);
        const std::string stamp = content.substr(at, before.size());
        EXPECT_TRUE(stamp >= before && stamp <= after) << stamp;
        const std::string body = Cp1251(std::string("\r\nVersion = ZNT-D 2.14 b0512\r\nСостояние: ") + state +
                                        "\r\nКорпус: 520\r\nТрубка: 700\r\nТопливо: 640\r\n"
                                        "Блокировка: 0\r\nПодтяжка: 0\r\n\r\nШкала: 0\r\n\r\n");
        EXPECT_EQ(content.substr(at + stamp.size(), body.size()), body);
        at += stamp.size() + body.size();
    }
    EXPECT_EQ(at, content.size());
    Close();
}

// The full settings write as the sensor gets it: the three values, the flag word, then the extended
// values and the four more as its own read-back put them on the window, each little-endian.
std::vector<std::uint8_t> ExtendedPayload(const SensorSettings& settings) {
    PayloadWriter payload;
    payload.U16(settings.body).U16(settings.tube).U16(settings.fuel).U16(settings.flagWord);
    for (std::uint16_t value : settings.extended)
        payload.U16(value);
    for (std::uint16_t value : settings.more)
        payload.U16(value);
    return payload.Bytes();
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST_F(SondrixRun, SettingsAreWrittenBackInTheFormTheConnectedModelTakes) {
    SensorSettings typed;
    typed.body = 530, typed.tube = 710, typed.fuel = 650;
    struct Row {
        const char* model;
        std::function<std::unique_ptr<SensorModel>()> make;
        int command; // RS-485 code or K-line letter
        std::vector<std::uint8_t> payload;
        // The reply confirms the three fields; an extended RS-485 write's reply carries nothing the
        // window reads, so they stay green.
        TColor confirmed = TColor(0xFFFFFF);
    };
    const Row rows[] = {
        {"RS-485 plain", [] { return std::make_unique<Rs485SensorModel>(); }, 0x32,
         PayloadWriter().U16(530).U16(710).U16(650).U8(0).Bytes()},
        {"RS-485 with the NFC password",
         [] { return std::make_unique<Rs485SensorModel>(Rs485SensorScript{.kind = 2}); }, 0x44,
         ExtendedPayload(typed), TColor(0xDCFFDC)},
        {"K-line with the output choice", [] { return std::make_unique<KlineSensorModel>(); }, 'W',
         Bytes(" 530 710 650 0")},
        {"K-line with the NFC password",
         [] { return std::make_unique<KlineSensorModel>(KlineSensorScript{.mark = ":2"}); }, 'S',
         Bytes(" 530 710 650 0 100 900 500 4500 10 3 8 40 15 200 1000 11 700 3 4")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model);
        auto sensor = row.make();
        VirtualSerialLine line(3, *sensor);
        Start();
        TForm1& form = Window();
        ASSERT_TRUE(WaitUntil([&] { return SensorLink && !form.Edit2->Text().IsEmpty(); }, 5000));
        // The engineer types the three calibration values; each turns green as it is left.
        vcl::UserType(*form.Edit2, u"530");
        vcl::UserType(*form.Edit3, u"710");
        vcl::UserType(*form.Edit4, u"650");
        vcl::UserClick(*form.Button6);
        for (TEdit* edit : {form.Edit2, form.Edit3, form.Edit4})
            EXPECT_EQ(edit->Color(), TColor(0xDCFFDC)) << edit->Name().ToUtf8();
        EXPECT_EQ(form.Label15->Caption().ToUtf8(), "Запись калибровки");

        ASSERT_TRUE(WaitUntil([&] { return !sensor->Writes().empty(); }, 2000));
        EXPECT_EQ(sensor->Writes().back().command, row.command);
        EXPECT_EQ(sensor->Writes().back().payload, row.payload);
        // The sensor's reply and its read-back show what it now holds.
        Wait(1000);
        ExpectShown({{form.Edit2, "530"}, {form.Edit3, "710"}, {form.Edit4, "650"}});
        for (TEdit* edit : {form.Edit2, form.Edit3, form.Edit4})
            EXPECT_EQ(edit->Color(), row.confirmed) << edit->Name().ToUtf8();
        Close();
    }
}

TEST_F(SondrixRun, RefusedFieldShowsWhyTakesTheFocusBackAndNothingIsSent) {
    Rs485SensorModel sensor;
    VirtualSerialLine line(3, sensor);
    Start();
    ASSERT_TRUE(WaitForReadings());
    TForm1& form = Window();
    const std::size_t mark = sensor.Requests().size();
    vcl::UserType(*form.Edit2, u"65536");
    vcl::UserClick(*form.Button6);
    const auto& boxes = vcl::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.ToUtf8(), "Некорректное значение в поле корпуса (0 - 65535)");
    EXPECT_EQ(boxes[0].caption.ToUtf8(), "Ошибка ввода");
    EXPECT_EQ(boxes[0].owner, form.Handle());
    EXPECT_EQ(form.ActiveControl(), form.Edit2);
    EXPECT_EQ(form.Edit2->Text().ToUtf8(), "65536");
    EXPECT_EQ(form.Edit2->Color(), TColor(0xFFFFFF));
    EXPECT_EQ(form.Label15->Caption().ToUtf8(), "измерение");

    Wait(2000); // the polls go on; no write and no read-back went out
    std::vector<int> heard = Heard(sensor, mark);
    EXPECT_FALSE(heard.empty());
    for (int command : heard)
        EXPECT_TRUE(command == 0x06 || command == 0x34 || command == 0x35) << command;
    EXPECT_TRUE(sensor.Writes().empty());
    Close();
}

TEST_F(SondrixRun, KlineSensorIsServedAlikeWithAndWithoutAnEchoingAdapter) {
    for (bool echo : {false, true}) {
        SCOPED_TRACE(echo ? "echoing adapter" : "plain adapter");
        KlineSensorModel sensor;
        VirtualSerialLine line(3, sensor, {.echo = echo});
        Start();
        TForm1& form = Window();
        ASSERT_TRUE(WaitUntil([&] { return SensorLink && !form.Edit5->Text().IsEmpty(); }, 5000));
        EXPECT_EQ(form.Caption().ToUtf8(), "ДУТ Конфигуратор 4.0: Зенток-A (K-LINE)");
        EXPECT_TRUE(form.ComboBox1->Visible());
        EXPECT_FALSE(form.ComboBox4->Visible());
        ExpectShown({{form.Edit11, "4711"},
                     {form.Edit12, "A3.07"},
                     {form.Edit2, "520"},
                     {form.Edit3, "700"},
                     {form.Edit4, "640"},
                     {form.Edit26, "1230"},
                     {form.Edit8, "23"},
                     {form.Edit25, "1236"},
                     {form.Edit6, "2032"},
                     {form.Edit5, "2.48"},
                     {form.Label15, "измерение"}});
        EXPECT_EQ(SensorLink->echoMode, echo);

        sensor.SetReadings({.mode = 3, .filtered = 1500, .temperature = -7});
        ASSERT_TRUE(WaitUntil([&] { return form.Edit26->Text() == u"1500"; }, 1200));
        ASSERT_TRUE(WaitUntil([&] { return form.Label15->Caption() != u"измерение"; }, 300));
        ExpectShown({{form.Label15, "режим автокалибровки"}, {form.Edit8, "-7"}});
        EXPECT_TRUE(form.Label11->Visible());
        for (const std::string& logged : LogTexts(folder.Read("log.txt")))
            EXPECT_EQ(logged.find("Bad message"), std::string::npos) << logged;
        Close();
    }
}

TEST_F(SondrixRun, RadioDeviceIsAddedInAddModeSelectedAndRemoved) {
    RadioModuleModel module;
    VirtualSerialLine line(3, module);
    Start();
    TForm1& form = Window();
    ASSERT_TRUE(WaitUntil([&] { return form.Edit15->Text() == u"RM-4 3.01 b77"; }, 5000));
    EXPECT_EQ(form.Caption().ToUtf8(), "ДУТ Конфигуратор 4.0: Радио");
    EXPECT_TRUE(form.GroupBox1->Visible());
    ExpectShown({{form.Edit14, "900017"}, {form.Edit13, "48"}});
    EXPECT_EQ(Items(*form.ComboBox3), (std::vector<std::string>{"100234", "100235"}));
    // The first poll asked for the list before the release came; its answer, read after the
    // release selected the first device, clears that selection again. The list is asked on.
    Wait(2000);
    EXPECT_EQ(form.ComboBox3->ItemIndex(), -1);

    vcl::UserClick(*form.Button8);
    ExpectShown({{form.Button8, "Выключить режим"}, {form.Label11, "300"}});
    EXPECT_TRUE(form.Label11->Visible());
    ASSERT_TRUE(WaitUntil([&] { return module.AddMode(); }, 1000));
    // A new device joins the module; the next list shows it, ends the add mode and selects it.
    ASSERT_TRUE(WaitUntil([&] { return form.ComboBox3->Items().Count() == 3; }, 6000));
    EXPECT_EQ(Items(*form.ComboBox3), (std::vector<std::string>{"100234", "100235", "3000000001"}));
    EXPECT_EQ(form.ComboBox3->ItemIndex(), 2);
    ExpectShown({{form.Button8, "Режим добавления"}, {form.Edit11, "3000000001"}, {form.Edit10, "51"}});
    EXPECT_FALSE(form.Label11->Visible());
    ASSERT_TRUE(WaitUntil([&] { return !form.Edit17->Text().IsEmpty(); }, 3000));
    ExpectShown({{form.Edit17, "12"},
                 {form.Label26, "Давность, сек"},
                 {form.Edit26, "1500"},
                 {form.Edit25, "1490"},
                 {form.Edit6, "1510"},
                 {form.Edit8, "19"},
                 {form.Edit16, "2.81"},
                 {form.Edit7, "-99"},
                 {form.Edit5, "2.5"}});

    vcl::headless::AnswerMessageBoxes({IDYES});
    vcl::UserClick(*form.Button9);
    ASSERT_EQ(vcl::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(vcl::headless::MessageBoxes()[0].text.ToUtf8(),
              "Уверены, что хотите удалить из радио-модуля ДУТ с номером 3000000001");
    // The removal goes to the module with the serial; the list asked next no longer holds it.
    ASSERT_TRUE(WaitUntil([&] { return form.ComboBox3->Items().Count() == 2; }, 3000));
    EXPECT_EQ(Items(*form.ComboBox3), (std::vector<std::string>{"100234", "100235"}));
    EXPECT_EQ(module.Writes().back().command, 0x82);
    EXPECT_EQ(module.Writes().back().payload, PayloadWriter().U32(3000000001u).Bytes());
    EXPECT_EQ(module.Devices().size(), 2u);
    Close();
}

TEST_F(SondrixRun, SilentSensorIsDroppedAfter2500MsAndFoundAgainWhenItAnswers) {
    Rs485SensorModel sensor;
    VirtualSerialLine line(3, sensor);
    Start();
    ASSERT_TRUE(WaitForReadings());
    TForm1& form = Window();
    sensor.SetSilent(true);
    Wait(1000); // what was on its way has come
    const std::uint32_t lastReply = SensorLink->replyTick;
    Wait(lastReply + 2500 - GetTickCount());
    ASSERT_NE(SensorLink, nullptr);
    ExpectShown({{form.Edit11, "12345678"}, {form.Edit6, "1234"}});
    // The 100-ms timer finds the silence too long and drops the sensor.
    Wait(100);
    ASSERT_EQ(SensorLink, nullptr);
    EXPECT_TRUE(form.Image1->Visible());
    EXPECT_FALSE(form.Image2->Visible());
    ExpectShown(
        {{form.Edit11, ""}, {form.Edit12, ""}, {form.Edit6, ""}, {form.Edit2, ""}, {form.Label15, ""}});
    EXPECT_EQ(form.Caption().ToUtf8(), Rs485Caption);

    sensor.SetSilent(false);
    ASSERT_TRUE(WaitForReadings());
    ExpectShown({{form.Edit11, "12345678"}, {form.Edit6, "1234"}, {form.Label15, "измерение"}});
    Close();
}

} // namespace
