// The firmware update as the engineer runs it, on the real clock: the configurator, started through
// its entry, hands the sensor on a pty over to the real loader program from the FIRMWARE folder of
// its current folder; the loader flashes the sensor's boot loader and the window scans again.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/configurator/program_fixture.h"
#include "tests/support/firmware_image_file.h"
#include "tools/sensor_emulator/lines/device_line.h"
#include "tools/sensor_emulator/models/kline_sensor_model.h"
#include "tools/sensor_emulator/models/rs485_sensor_model.h"

namespace {

using namespace sensor_emulator;
using namespace testing_support;

struct FirmwareRun : ProgramTest {
    // The loaders lie in FIRMWARE beside the program, which runs from its own folder.
    FirmwareRun() { std::filesystem::create_directory_symlink(SONDRIX_FIRMWARE_DIR, "FIRMWARE"); }
};

TEST_F(FirmwareRun, RealLoaderFlashesTheSensorAndTheWindowFindsItAgain) {
    struct Row {
        const char* loader;
        std::function<std::unique_ptr<SensorModel>()> make;
        const char* serial;
    };
    const Row rows[] = {
        {"rflasher", [] { return std::make_unique<Rs485SensorModel>(); }, "12345678"},
        {"kflasher", [] { return std::make_unique<KlineSensorModel>(); }, "4711"},
    };
    const std::vector<std::uint8_t> image = MakeImage(3, 200);
    const std::string imagePath = folder.Path() + "/fw 1.enc";
    WriteImageFile(image, imagePath);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.loader);
        auto sensor = row.make();
        // The loaders read the echo of every block back before the answer, as their adapters give it.
        DeviceLine line(ports, *sensor, {.comNumber = 3, .echo = true});
        Start();
        TForm1& form = Window();
        ASSERT_TRUE(WaitUntil([&] { return form.Label15->Caption() == u"измерение"; }, 10000));
        // Between two polls, so the boot request goes out at once.
        ASSERT_TRUE(WaitUntil(
            [] { return SensorLink->pendingRequest == 0 && SensorLink->RequestQueue.empty(); }, 2000));

        vcl::headless::ChooseFile(UnicodeString::FromUtf8(imagePath));
        vcl::UserClick(*form.Button7); // returns once the loader has ended
        EXPECT_EQ(form.Label15->Caption().ToUtf8(), "Готово");
        EXPECT_EQ(SensorLink, nullptr);
        EXPECT_TRUE(form.Image1->Visible());
        std::vector<std::string> log = LogTexts(folder.Read("log.txt"));
        const std::string launch =
            std::string("Launch:\tFIRMWARE\\") + row.loader + ".exe COM3 \"" + imagePath + "\"";
        EXPECT_NE(std::find(log.begin(), log.end(), launch), log.end()) << launch;
        ASSERT_NE(sensor->BootLoader(), nullptr);
        EXPECT_EQ(sensor->BootLoader()->Image(), image);

        // The sensor restarts its application; the window finds it and shows its state again.
        ASSERT_TRUE(WaitUntil([&] { return form.Label15->Caption() == u"измерение"; }, 10000));
        EXPECT_EQ(form.Edit11->Text().ToUtf8(), row.serial);
        Close();
    }
}

} // namespace
