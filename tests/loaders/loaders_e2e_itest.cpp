// The real kflasher and rflasher programs against the boot-loader emulator on a pty.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/loaders/loader_process.h"
#include "tests/support/firmware_image_file.h"
#include "tools/sensor_emulator/lines/boot_loader_line.h"

namespace loader_tests {
namespace {

using sensor_emulator::BootLoaderLine;
using sensor_emulator::BootLoaderScript;
using sensor_emulator::LineModel;
using sensor_emulator::PortMap;
using testing_support::MakeImage;

const std::string FirmwareDir = SONDRIX_FIRMWARE_DIR;

std::string TempImageFile(const std::vector<std::uint8_t>& image) {
    auto path = std::filesystem::temp_directory_path() / ("e2e_image_" + std::to_string(getpid()) + ".enc");
    testing_support::WriteImageFile(image, path.string());
    return path.string();
}

struct Flash {
    const char* program;
    LineModel model;
    const char* title;
};

class LoaderPrograms : public ::testing::TestWithParam<Flash> {};

TEST_P(LoaderPrograms, FlashAMultiBlockImageEndToEnd) {
    PortMap map;
    BootLoaderScript script;
    script.model = GetParam().model;
    script.blockAnswers = {0x11, 0x00, 0x11}; // the second block is refused once and sent again
    script.writeDelayMs = 5;
    BootLoaderLine line(map, script);
    auto image = MakeImage(6, 1500);
    auto path = TempImageFile(image);
    LoaderProcess loader(FirmwareDir + "/" + GetParam().program, {line.ComName(), path});
    ASSERT_TRUE(loader.Started());
    EXPECT_EQ(loader.Wait(30000), 0);
    std::filesystem::remove(path);
    EXPECT_EQ(line.Device().Image(), image);
    EXPECT_EQ(line.Device().BlocksReceived(), 7);
    std::string output = loader.Output();
    EXPECT_NE(output.find(GetParam().title), std::string::npos) << output;
    EXPECT_NE(output.find("Соединение установлено\n"), std::string::npos) << output;
    EXPECT_NE(output.find("100%   \r\nЗапись закончена успешно\n\n"), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(
    BothLines, LoaderPrograms,
    ::testing::Values(Flash{"kflasher", LineModel::Kline, "Программирование ДУТ Зенток-А"},
                      Flash{"rflasher", LineModel::Rs485, "Программирование ДУТ Зенток-D"}),
    [](const auto& info) { return std::string(info.param.program); });

// Keys come from a pipe: f and F ask again, Esc ends the run; the program still exits with 0.
TEST(LoaderKeys, FindAgainAndEscapeFromAPipe) {
    auto path = TempImageFile(MakeImage(1, 8));
    for (const Flash& flash :
         {Flash{"kflasher", LineModel::Kline, ""}, Flash{"rflasher", LineModel::Rs485, ""}}) {
        PortMap map;
        BootLoaderScript script;
        script.model = flash.model;
        script.answerFind = false;
        BootLoaderLine line(map, script);
        LoaderProcess loader(FirmwareDir + "/" + flash.program, {line.ComName(), path});
        ASSERT_TRUE(line.WaitForRequests(1, 5000)) << flash.program;
        loader.Type('f');
        ASSERT_TRUE(line.WaitForRequests(2, 5000)) << flash.program;
        loader.Type('F');
        ASSERT_TRUE(line.WaitForRequests(3, 5000)) << flash.program;
        loader.Type(27);
        EXPECT_EQ(loader.Wait(10000), 0) << flash.program;
        EXPECT_EQ(line.Device().Requests().size(), 3u) << flash.program;
        EXPECT_EQ(loader.Output().find("Соединение"), std::string::npos);
    }
    std::filesystem::remove(path);
}

// The adapter is pulled while the loader waits: it says the port is gone and ends, and after the
// line is gone it uses next to no processor time (it used to spin on a whole core).
TEST(LoaderPulledLine, SaysSoAndEndsWithoutSpinning) {
    using Steady = std::chrono::steady_clock;
    struct Row {
        const char* name;
        const char* program;
        LineModel model;
        bool answerFind;
        std::size_t pullAfterRequests;
        int settleMs; // for rflasher's reopen after the switch to be done
    };
    const Row rows[] = {
        {"kflasher discovery", "kflasher", LineModel::Kline, false, 1, 0},
        {"kflasher wait for OK", "kflasher", LineModel::Kline, true, 3, 0},
        {"rflasher discovery", "rflasher", LineModel::Rs485, false, 1, 0},
        {"rflasher wait for BLST", "rflasher", LineModel::Rs485, true, 2, 1000},
    };
    auto path = TempImageFile(MakeImage(1, 8));
    for (const Row& row : rows) {
        PortMap map;
        BootLoaderScript script;
        script.model = row.model;
        script.answerFind = row.answerFind;
        script.confirmSwitch = row.model == LineModel::Rs485;
        script.announceAfterSwitch = false;
        script.announcements = 0;
        BootLoaderLine line(map, script);
        LoaderProcess loader(FirmwareDir + "/" + row.program, {line.ComName(), path});
        ASSERT_TRUE(line.WaitForRequests(row.pullAfterRequests, 5000)) << row.name;
        std::this_thread::sleep_for(std::chrono::milliseconds(row.settleMs));
        long long cpuBefore = loader.CpuMs();
        auto pulled = Steady::now();
        line.Unplug();
        std::string gone = "\\\\.\\" + line.ComName() + " отключен\n";
        EXPECT_TRUE(loader.WaitForOutput(gone, 4000)) << row.name << ": " << loader.Output();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        long long cpuMs = loader.CpuMs() - cpuBefore;
        auto windowMs = std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - pulled).count();
        EXPECT_LT(cpuMs, windowMs / 4) << row.name << ": " << cpuMs << " ms of processor in " << windowMs;
        EXPECT_EQ(loader.Wait(10000), 0) << row.name;
    }
    std::filesystem::remove(path);
}

// A named pipe as the image would block its open for ever, and an image without a block would be
// reported as written: both end the run before the sensor hears anything.
TEST(LoaderImageFile, NamedPipeAndBlocklessImageAreRefusedBeforeTheSensorIsAsked) {
    auto folder = std::filesystem::temp_directory_path() / ("e2e_images_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    auto pipe = (folder / "image.enc").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    auto empty = (folder / "empty.enc").string();
    std::ofstream(empty).close();
    struct Row {
        const std::string& path;
        const char* message;
    };
    const Row rows[] = {{pipe, "Файл не найден\n"}, {empty, "Файл прошивки не содержит ни одного блока\n"}};
    for (const Row& row : rows) {
        for (const Flash& flash :
             {Flash{"kflasher", LineModel::Kline, ""}, Flash{"rflasher", LineModel::Rs485, ""}}) {
            PortMap map;
            BootLoaderScript script;
            script.model = flash.model;
            BootLoaderLine line(map, script);
            LoaderProcess loader(FirmwareDir + "/" + flash.program, {line.ComName(), row.path});
            EXPECT_EQ(loader.Wait(10000), 0) << flash.program << " " << row.path;
            EXPECT_NE(loader.Output().find(row.message), std::string::npos) << loader.Output();
            EXPECT_TRUE(line.Device().Requests().empty()) << flash.program << " " << row.path;
        }
    }
    std::filesystem::remove_all(folder);
}

TEST(LoaderArguments, UsageAndMissingPort) {
    PortMap map;
    LoaderProcess usage(FirmwareDir + "/rflasher", {"COM123", "image.enc"});
    EXPECT_EQ(usage.Wait(10000), 0);
    EXPECT_NE(usage.Output().find("Используйте формат: rflasher.exe COMx <filename.ext> \n\n\n"),
              std::string::npos)
        << usage.Output();
    LoaderProcess missing(FirmwareDir + "/kflasher", {"COM:77", "image.enc"});
    EXPECT_EQ(missing.Wait(10000), 0);
    EXPECT_NE(missing.Output().find("\\\\.\\COM77 недоступен\n"), std::string::npos) << missing.Output();
}

} // namespace
} // namespace loader_tests
