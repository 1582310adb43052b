// The real kflasher and rflasher programs against the boot-loader emulator on a pty.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/loaders/loader_process.h"
#include "tests/support/boot_loader_line.h"

namespace loader_tests {
namespace {

using testing_support::BootLoaderLine;
using testing_support::BootLoaderScript;
using testing_support::LineModel;
using testing_support::PortMap;

const std::string kFirmwareDir = SONDRIX_FIRMWARE_DIR;

std::vector<std::uint8_t> Image(int blocks, int dataBytes) {
    std::vector<std::uint8_t> image;
    for (int block = 0; block < blocks; ++block) {
        image.push_back(static_cast<std::uint8_t>(dataBytes >> 8));
        image.push_back(static_cast<std::uint8_t>(dataBytes));
        for (int i = 0; i < dataBytes; ++i)
            image.push_back(static_cast<std::uint8_t>(block * 13 + i * 5 + (i >> 8)));
    }
    return image;
}

std::string WriteImageFile(const std::vector<std::uint8_t>& image) {
    auto path = std::filesystem::temp_directory_path() / ("e2e_image_" + std::to_string(getpid()) + ".enc");
    std::ofstream file(path, std::ios::binary);
    char digits[4];
    for (std::size_t i = 0; i < image.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02x", image[i]);
        file << digits << (i % 32 == 31 ? "\r\n" : " ");
    }
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
    auto image = Image(6, 1500);
    auto path = WriteImageFile(image);
    LoaderProcess loader(kFirmwareDir + "/" + GetParam().program, {line.ComName(), path});
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
    for (const Flash& flash :
         {Flash{"kflasher", LineModel::Kline, ""}, Flash{"rflasher", LineModel::Rs485, ""}}) {
        PortMap map;
        BootLoaderScript script;
        script.model = flash.model;
        script.answerFind = false;
        BootLoaderLine line(map, script);
        LoaderProcess loader(kFirmwareDir + "/" + flash.program, {line.ComName(), "image.enc"});
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
}

TEST(LoaderArguments, UsageAndMissingPort) {
    PortMap map;
    LoaderProcess usage(kFirmwareDir + "/rflasher", {"COM123", "image.enc"});
    EXPECT_EQ(usage.Wait(10000), 0);
    EXPECT_NE(usage.Output().find("Используйте формат: rflasher.exe COMx <filename.ext> \n\n\n"),
              std::string::npos)
        << usage.Output();
    LoaderProcess missing(kFirmwareDir + "/kflasher", {"COM:77", "image.enc"});
    EXPECT_EQ(missing.Wait(10000), 0);
    EXPECT_NE(missing.Output().find("\\\\.\\COM77 недоступен\n"), std::string::npos) << missing.Output();
}

} // namespace
} // namespace loader_tests
