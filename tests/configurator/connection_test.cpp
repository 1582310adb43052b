#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "configurator/connection.h"
#include "tests/configurator/link_fixture.h"
#include "tools/sensor_emulator/models/kline_sensor_model.h"
#include "tools/sensor_emulator/models/radio_module_model.h"
#include "tools/sensor_emulator/models/rs485_sensor_model.h"

namespace {

using sensor_emulator::VirtualSerialLine;
using testing_support::SentRequest;
using ConnectionTest = testing_support::LinkTest;

// "19200:33" for each RS-485 request, "9600: #f" for a K-line one (its text).
std::vector<std::string> Described(const std::vector<SentRequest>& requests) {
    std::vector<std::string> texts;
    for (const SentRequest& request : requests) {
        const sensor_emulator::SensorFrame& frame = request.frame;
        char code[8];
        std::snprintf(code, sizeof code, "%02X", frame.command);
        texts.push_back(std::to_string(request.baud) + ":" +
                        (frame.format == sensor_emulator::FrameFormat::Rs485
                             ? std::string(code)
                             : std::string(frame.payload.begin(), frame.payload.end())));
    }
    return texts;
}

TEST_F(ConnectionTest, ScanProbesBothFormatsAtBothSpeedsAndAdoptsWhatAnswers) {
    struct Row {
        const char* model;
        std::function<std::unique_ptr<sensor_emulator::SensorModel>()> make;
        std::vector<std::string> requests; // the probes until the adoption, then the first after it
        bool kline, radio;
    };
    const Row rows[] = {
        {"RS-485",
         [] { return std::make_unique<sensor_emulator::Rs485SensorModel>(); },
         {"19200:80", "19200:33", "19200:1A", "19200:1B", "19200:05"},
         false,
         false},
        {"radio",
         [] { return std::make_unique<sensor_emulator::RadioModuleModel>(); },
         {"19200:80", "19200:1A", "19200:1B", "19200:05"},
         false,
         true},
        {"K-line",
         [] { return std::make_unique<sensor_emulator::KlineSensorModel>(); },
         {"19200:80", "19200:33", "9600: #f", "9600: #K4711"}, // then what its identify reply asks for
         true,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model);
        auto model = row.make();
        VirtualSerialLine line(3, *model);
        ASSERT_TRUE(RunUntilConnected());
        EXPECT_EQ(SensorLink->portName, TString("COM3"));
        EXPECT_TRUE(CandidatePorts->empty());
        EXPECT_FALSE(form.Image1->Visible());
        EXPECT_EQ(form.Timer1->Interval(), 100u);
        EXPECT_EQ(form.Label16->Visible(), row.kline);
        EXPECT_EQ(form.Label19->Visible(), !row.kline);
        EXPECT_EQ(form.Label25->Visible(), row.radio);
        EXPECT_EQ(form.Button7->Visible(), !row.radio);
        EXPECT_EQ(form.Label7->Caption(), UnicodeString(row.radio ? u"Уровень сигнала" : u"Частота, Гц"));

        vcl::headless::RunFor(1000);
        std::vector<std::string> sent = Described(Sent(line));
        ASSERT_GE(sent.size(), row.requests.size());
        sent.resize(row.requests.size());
        EXPECT_EQ(sent, row.requests);
        Disconnect();
        DeleteAllPorts(*CandidatePorts);
    }
}

TEST_F(ConnectionTest, OfTwoCandidatesAnsweringInOneTickTheFirstPolledIsAdoptedAndTheOtherNeverRead) {
    sensor_emulator::Rs485SensorModel first, second;
    VirtualSerialLine lineA(3, first), lineB(4, second);
    TString firstPolled;
    ASSERT_TRUE(RunUntil(
        [&] {
            if (CandidatePorts->size() == 2) firstPolled = CandidatePorts->begin()->first;
            return SensorLink != nullptr;
        },
        5000));
    // Both heard the identify probe at the same moment and answered with the same delay.
    auto lastProbe = [](const std::vector<SentRequest>& sent) {
        auto probe = std::find_if(sent.rbegin(), sent.rend(),
                                  [](const SentRequest& r) { return r.frame.command == 0x33; });
        return probe == sent.rend() ? 0 : probe->atMs;
    };
    EXPECT_NE(lastProbe(Sent(lineA)), 0u);
    EXPECT_EQ(lastProbe(Sent(lineA)), lastProbe(Sent(lineB)));
    EXPECT_EQ(SensorLink->portName, firstPolled);
    const std::string other = firstPolled == TString("COM3") ? "COM4" : "COM3";
    std::vector<std::string> lines = LogLines();
    EXPECT_NE(FindLine(other + ":\tclosed"), lines.size());
    for (const std::string& line : lines)
        EXPECT_FALSE(line.starts_with(other + ":\t --->")) << line;
}

TEST_F(ConnectionTest, SensorIsPolledOnceASecond) {
    sensor_emulator::Rs485SensorModel sensor;
    VirtualSerialLine line(3, sensor);
    ASSERT_TRUE(RunUntilConnected());
    ASSERT_TRUE(RunUntil([&] { return !form.Edit2->Text().IsEmpty(); }, 3000));
    const std::size_t before = Sent(line).size();
    vcl::headless::RunFor(5000);
    std::vector<std::uint64_t> polls;
    for (const SentRequest& request : Sent(line, before))
        if (request.frame.command == 0x06) polls.push_back(request.atMs);
    ASSERT_EQ(polls.size(), 5u);
    for (std::size_t i = 1; i < polls.size(); ++i)
        EXPECT_EQ(polls[i] - polls[i - 1], 1000u);
}

TEST_F(ConnectionTest, WithEdit2EmptyASensorIsNotPolledAndDropped) {
    sensor_emulator::Rs485SensorModel sensor;
    VirtualSerialLine line(3, sensor);
    ASSERT_TRUE(RunUntilConnected());
    ASSERT_TRUE(RunUntil([&] { return !form.Edit2->Text().IsEmpty(); }, 3000));
    vcl::headless::RunFor(500);
    form.Edit2->SetText(UnicodeString());
    const std::size_t before = Sent(line).size();
    ASSERT_TRUE(RunUntil([] { return SensorLink == nullptr; }, 3000));
    for (const SentRequest& request : Sent(line, before))
        EXPECT_NE(request.frame.command, 0x06);
}

TEST_F(ConnectionTest, LevelCodeChangeIsLoggedShowsTheTimedStatesAndInTheRadioViewAsksForSettings) {
    struct Row {
        int baud; // 0: no link
        std::uint16_t code;
        bool shown;
        bool radio = false; // the radio view of a model with the NFC panel: asks for its settings
    };
    const Row rows[] = {
        {0, 0xFFF3, true},
        {0, 3, false},
        {19200, 0xFFF5, true},
        {19200, 6, false},
        {19200, 0xFFF6, false},
        {19200, 0xFFF2, false},
        {9600, 3, true},
        {9600, 0xFFF3, false},
        {9600, 6, true},
        {9600, 5, false},
        {19200, 0xFFF3, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.baud << " " << row.code);
        if (row.baud) ConnectWaitingLink(row.baud);
        form.GroupBox1->SetVisible(row.radio);
        form.Panel2->SetVisible(row.radio);
        clock.Advance(10);
        form.SetLevelCode(row.code);
        EXPECT_EQ(form.Label11->Visible(), row.shown);
        EXPECT_EQ(form.StatusTick, GetTickCount());
        EXPECT_NE(FindLine("Change:\t" + std::to_string(row.code)), LogLines().size());
        if (SensorLink) {
            EXPECT_EQ(Queued(*SensorLink), row.radio ? std::vector<int>{0x43} : std::vector<int>{});
        }
        delete SensorLink;
        SensorLink = nullptr;
    }
    // The same code again changes nothing, not even a visibility set meanwhile.
    form.Label11->Hide();
    form.SetLevelCode(0xFFF3);
    EXPECT_FALSE(form.Label11->Visible());
    std::vector<std::string> lines = LogLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.starts_with("Change:\t"); }),
              static_cast<std::ptrdiff_t>(std::size(rows)));
}

TEST_F(ConnectionTest, DisconnectEndsTheAddModeDeletesTheLinkAndResetsTheWindow) {
    form.SetLevelCode(0); // the start value: nothing to log
    EXPECT_EQ(FindLine("Change:\t0"), LogLines().size());
    ConnectWaitingLink();
    form.GroupBox1->Show();
    form.Panel2->Show();
    form.ComboBox3->Items().Assign({u"1"});
    vcl::UserClick(*form.Button8);
    form.SetLevelCode(0xFFF3);
    form.Edit13->SetText(u"48");
    form.Edit31->SetText(u"pass");
    form.Edit9->SetText(u"1500");
    Disconnect();
    EXPECT_EQ(SensorLink, nullptr);
    EXPECT_EQ(form.Button8->Caption(), UnicodeString(u"Режим добавления"));
    EXPECT_FALSE(form.GroupBox1->Visible());
    EXPECT_FALSE(form.Panel2->Visible());
    EXPECT_EQ(form.ComboBox3->Items().Count(), 0);
    EXPECT_TRUE(form.Edit13->Text().IsEmpty());
    EXPECT_TRUE(form.Edit31->Text().IsEmpty());
    EXPECT_EQ(form.Edit9->Text(), UnicodeString(u"1500"));
    EXPECT_FALSE(form.Label11->Visible());
    const std::size_t closed = FindLine("COM7:\tclosed");
    EXPECT_LT(closed, FindLine("Change:\t0", closed));
    Disconnect(); // nothing left to drop
}

TEST_F(ConnectionTest, ClosingLogsTheRequestTheDisconnectAndTheEndInOrder) {
    sensor_emulator::Rs485SensorModel sensor;
    VirtualSerialLine line(3, sensor);
    ASSERT_TRUE(RunUntilConnected());
    form.SetLevelCode(7);
    vcl::UserClose(form);
    const std::size_t request = FindLine("CloseQuery received");
    const std::size_t closed = FindLine("COM3:\tclosed", request);
    const std::size_t change = FindLine("Change:\t0", closed);
    const std::size_t end = FindLine("Program CLOSED", change);
    EXPECT_LT(end, LogLines().size());
    EXPECT_EQ(SensorLink, nullptr);
    EXPECT_FALSE(form.Timer1->Enabled());
    EXPECT_TRUE(form.Timer2->Enabled());
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(ConnectionTest, ClosingWhileScanningDeletesTheCandidatesBeforeTheEnd) {
    sensor_emulator::Rs485SensorModel quiet;
    quiet.SetSilent(true);
    VirtualSerialLine lineA(3, quiet), lineB(4, quiet);
    vcl::headless::RunFor(600);
    ASSERT_EQ(CandidatePorts->size(), 2u);
    vcl::UserClose(form);
    const std::size_t request = FindLine("CloseQuery received");
    const std::size_t end = FindLine("Program CLOSED", request);
    EXPECT_LT(FindLine("COM3:\tclosed", request), end);
    EXPECT_LT(FindLine("COM4:\tclosed", request), end);
    EXPECT_LT(end, LogLines().size());
    EXPECT_TRUE(CandidatePorts->empty());
    vcl::headless::RunFor(1000); // no scan after the close
    EXPECT_TRUE(CandidatePorts->empty());
}

} // namespace
