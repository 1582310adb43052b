// The firmware launch with a stand-in loader: a script in a FIRMWARE folder of the current folder
// that records its arguments, started from the button and from the decoder's boot reply.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/file_read.h"
#include "tests/configurator/link_fixture.h"
#include "tools/sensor_emulator/models/kline_sensor_model.h"
#include "tools/sensor_emulator/models/rs485_sensor_model.h"

namespace {

using sensor_emulator::VirtualSerialLine;

const char* const Image = "/tmp/fw dir/f.enc";

struct FirmwareLaunchTest : testing_support::LinkTest {
    // A loader that says it has started, records its arguments one a line and takes a moment.
    void PlaceLoader(const std::string& name) {
        std::filesystem::create_directory("FIRMWARE");
        folder.Write("FIRMWARE/" + name, "#!/bin/sh\n"
                                         ": > started\n"
                                         "printf '%s\\n' \"$(basename \"$0\")\" \"$@\" > loader_args.txt\n"
                                         "sleep 0.3\n");
        std::filesystem::permissions("FIRMWARE/" + name, std::filesystem::perms::owner_all);
    }
    std::vector<std::string> LoaderArguments() const {
        std::vector<std::string> lines;
        std::string text = folder.Read("loader_args.txt");
        for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }
    // The launch's log lines come in order and the window is back to scanning.
    void ExpectLaunched(const std::string& command) {
        const std::size_t sleep = FindLine("sleep 1000");
        const std::size_t done = FindLine("sleep done", sleep);
        EXPECT_LT(FindLine("Launch:\t" + command, done), LogLines().size());
        EXPECT_EQ(SensorLink, nullptr);
        EXPECT_EQ(form.Label15->Caption(), UnicodeString(u"Готово"));
        EXPECT_TRUE(form.Timer1->Enabled());
        EXPECT_EQ(form.Timer1->Interval(), 500u);
    }
    // The user closes the window once the loader runs (a timer, as the wait serves them).
    std::unique_ptr<TTimer> CloseWhenLoaderHasStarted() {
        auto closer = std::make_unique<TTimer>(nullptr);
        closer->SetInterval(10);
        closer->OnTimer = [this, timer = closer.get()](TObject*) {
            if (!FileExists(TString("started"))) return;
            timer->SetEnabled(false);
            vcl::UserClose(form);
        };
        return closer;
    }
    void ExpectClosedAfter(std::size_t launch) {
        const std::size_t request = FindLine("CloseQuery received", launch);
        EXPECT_LT(FindLine("Program CLOSED", request), LogLines().size());
        EXPECT_FALSE(form.Visible());
        EXPECT_FALSE(form.Timer1->Enabled());
    }
    // A controller variant: the button only asks, the sensor's boot reply starts the loader (inside
    // the receive call). The user closes the window while the loader runs; the close waits for it.
    void ExpectBootReplyLaunch(sensor_emulator::SensorModel& sensor,
                               const std::vector<std::string>& arguments, const std::string& tail) {
        VirtualSerialLine line(3, sensor);
        PlaceLoader("xflasher");
        ASSERT_TRUE(RunUntilConnected());
        ASSERT_TRUE(
            RunUntil([&] { return form.ComboBox4->Visible() && !form.Edit12->Text().IsEmpty(); }, 3000));
        auto closer = CloseWhenLoaderHasStarted();
        ClickFirmware();
        EXPECT_NE(SensorLink, nullptr); // the loader waits for the sensor's consent
        EXPECT_EQ(form.Label15->Caption(), UnicodeString(u"Прошивка"));
        ASSERT_TRUE(RunUntil([&] { return !form.Visible(); }, 5000));
        EXPECT_EQ(LoaderArguments(), arguments);
        const std::size_t launch =
            FindLine("Launch:\tFIRMWARE\\xflasher.exe COM3 \"" + std::string(Image) + "\"" + tail);
        ExpectClosedAfter(launch);
        EXPECT_EQ(form.Label15->Caption(), UnicodeString(u"Готово"));
        EXPECT_EQ(SensorLink, nullptr);
    }
    // Asks for the update of the connected sensor with the image.
    void ClickFirmware() {
        vcl::headless::ChooseFile(UnicodeString::FromUtf8(Image));
        vcl::UserClick(*form.Button7);
    }
};

// The real loaders switch a sensor themselves, so only here does it show that the button asks too.
TEST_F(FirmwareLaunchTest, ButtonAsksThePlainModelToSwitchThenReleasesThePortAndRunsItsLoader) {
    sensor_emulator::Rs485SensorModel sensor;
    VirtualSerialLine line(3, sensor);
    PlaceLoader("rflasher");
    ASSERT_TRUE(RunUntilConnected());
    ASSERT_TRUE(RunUntil([&] { return !form.Edit12->Text().IsEmpty(); }, 3000));
    // Between two polls, so the boot request goes out at once.
    ASSERT_TRUE(
        RunUntil([] { return SensorLink->pendingRequest == 0 && SensorLink->RequestQueue.empty(); }, 2000));
    form.ComboBox4->Hide();
    ClickFirmware();
    ExpectLaunched("FIRMWARE\\rflasher.exe COM3 \"" + std::string(Image) + "\"");
    bool bootRequested = false;
    for (const auto& request : Sent(line))
        bootRequested |= request.frame.command == 0x3A;
    EXPECT_TRUE(bootRequested);
}

TEST_F(FirmwareLaunchTest, CloseDuringTheButtonsLoaderRunFollowsItsEnd) {
    sensor_emulator::KlineSensorModel sensor;
    VirtualSerialLine line(3, sensor);
    PlaceLoader("kflasher");
    ASSERT_TRUE(RunUntilConnected());
    auto closer = CloseWhenLoaderHasStarted();
    ClickFirmware();
    ExpectClosedAfter(FindLine("Launch:\tFIRMWARE\\kflasher.exe COM3 \"" + std::string(Image) + "\""));
    EXPECT_EQ(LoaderArguments(), (std::vector<std::string>{"kflasher", "COM3", Image}));
}

TEST_F(FirmwareLaunchTest, AMissingLoaderIsNamedAndTheSensorIsNotAskedToSwitch) {
    struct Row {
        const char* what;
        bool selector;              // the controller variant's output choice is shown
        std::string loaderNameFile; // empty: none
        std::string placed;         // the loader in FIRMWARE, empty: none
        std::u16string program;
    };
    const Row rows[] = {
        {"the plain model's loader", false, "", "", u"FIRMWARE\\rflasher.exe"},
        {"the controller variant's loader", true, "", "rflasher", u"FIRMWARE\\xflasher.exe"},
        {"the loader named in the file", true, "my.exe\r\n", "xflasher", u"FIRMWARE\\my.exe"},
    };
    sensor_emulator::Rs485SensorModel sensor({.kind = 1});
    VirtualSerialLine line(3, sensor);
    ASSERT_TRUE(RunUntilConnected());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove_all("FIRMWARE");
        std::filesystem::remove("loader_name.txt");
        if (!row.placed.empty()) PlaceLoader(row.placed);
        if (!row.loaderNameFile.empty()) folder.Write("loader_name.txt", row.loaderNameFile);
        vcl::headless::Reset();
        form.ComboBox4->SetVisible(row.selector);
        const UnicodeString state = form.Label15->Caption();
        RSport* const connected = SensorLink;
        ClickFirmware();
        ASSERT_EQ(vcl::headless::MessageBoxes().size(), 1u);
        EXPECT_EQ(vcl::headless::MessageBoxes()[0].text,
                  UnicodeString(u"Не найдена программа прошивки " + row.program));
        EXPECT_EQ(SensorLink, connected);
        EXPECT_EQ(form.Label15->Caption(), state);
        for (const auto& request : Sent(line))
            EXPECT_NE(request.frame.command, 0x3A);
        EXPECT_EQ(FindLine("sleep 1000"), LogLines().size());
    }
}

TEST_F(FirmwareLaunchTest, BootReplyOfRs485StartsTheLoaderAndACloseDuringItsRunWaitsForItsEnd) {
    sensor_emulator::Rs485SensorModel sensor({.kind = 1});
    ExpectBootReplyLaunch(sensor, {"xflasher", "COM3", Image, "115200", "-e", "-f"}, " 115200 -e -f");
}

TEST_F(FirmwareLaunchTest, BootReplyOfKlineStartsTheLoaderAndACloseDuringItsRunWaitsForItsEnd) {
    sensor_emulator::KlineSensorModel sensor({.mark = "x"});
    ExpectBootReplyLaunch(sensor, {"xflasher", "COM3", Image, "115200", "-e"}, " 115200 -e");
}

} // namespace
