#include "loaders/common/firmware_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "loaders/common/firmware_transfer.h"
#include "loaders/common/messages.h"
#include "loaders/kline/kline_loader.h"
#include "tests/loaders/loader_fixture.h"

namespace loader_tests {
namespace {

using loaders::CheckFirmwareImage;
using loaders::DecodeFirmwareText;

std::vector<std::uint8_t> Decode(const std::string& text, int capacity, bool& overflow) {
    std::FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(capacity));
    int length = DecodeFirmwareText(file, bytes.data(), capacity, overflow);
    std::fclose(file);
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

TEST(FirmwareImage, TextFormsDecodeAsHexPairs) {
    struct Row {
        std::string text;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<Row> rows = {
        {"0a1B", {0x0A, 0x1B}},
        {"A 1B", {0x0A, 0x1B}},
        {"0A 1B", {0x0A, 0x1B}},
        {" \t\r\n0a\r\n\tff\n", {0x0A, 0xFF}},
        {"12 3 45", {0x12, 0x03, 0x45}},
        {"01 02 zz 03", {0x01, 0x02}}, // reading stops at the first text that does not convert
        {"", {}},
        {"no hex here", {}},
    };
    for (const auto& row : rows) {
        bool overflow = true;
        EXPECT_EQ(Decode(row.text, 16, overflow), row.bytes) << row.text;
        EXPECT_FALSE(overflow) << row.text;
    }
    bool overflow = false;
    EXPECT_EQ(Decode("01 02 03", 3, overflow).size(), 3u);
    EXPECT_FALSE(overflow) << "exactly full is no overflow";
    EXPECT_EQ(Decode("01 02 03 04", 3, overflow).size(), 3u);
    EXPECT_TRUE(overflow);
}

TEST(FirmwareImage, BlocksMustFitTheImageAndTheEchoBuffer) {
    auto blocks = [](std::vector<int> dataLengths, int cut = 0) {
        std::vector<std::uint8_t> image;
        for (int n : dataLengths) {
            image.push_back(static_cast<std::uint8_t>(n >> 8));
            image.push_back(static_cast<std::uint8_t>(n));
            image.resize(image.size() + static_cast<std::size_t>(n), 0xA5);
        }
        image.resize(image.size() - static_cast<std::size_t>(cut));
        return image;
    };
    struct Row {
        std::vector<std::uint8_t> image;
        const char* refusal;
    };
    const std::vector<Row> rows = {
        {{}, loaders::messages::ImageEmpty.c_str()},
        {blocks({0}), nullptr},
        {blocks({100, 100}), nullptr},
        {blocks({4094}), nullptr}, // 4096 bytes on the wire: the echo buffer exactly
        {blocks({4095}), loaders::messages::BlockTooLong.c_str()},
        {blocks({0xFFFF}), loaders::messages::BlockTooLong.c_str()},
        {blocks({10, 10}, 1), loaders::messages::BlockPastEnd.c_str()},
        {blocks({10}, 10), loaders::messages::BlockPastEnd.c_str()},
        {blocks({10, 0}, 1), loaders::messages::ImageCutInLength.c_str()},
        {{0x00}, loaders::messages::ImageCutInLength.c_str()},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& image = rows[i].image;
        const char* refusal = CheckFirmwareImage(image.data(), static_cast<int>(image.size()));
        EXPECT_EQ(refusal ? std::string(refusal) : "", rows[i].refusal ? std::string(rows[i].refusal) : "")
            << "row " << i;
    }
}

class FirmwareTransfer : public LoaderFixture {
  protected:
    int Flash(BootLoaderScript script) { return Run(RunKlineLoader, script, {"COM12", imagePath}); }
};

// A refused image ends like a missing file, before the sensor hears anything: no request asks it
// into its boot loader, the port is closed.
TEST_F(FirmwareTransfer, UnsafeImagesAreRefusedBeforeTheSensorIsAsked) {
    struct Row {
        std::string text;
        std::string message;
    };
    std::string tooLong;
    for (int i = 0; i < loaders::FirmwareImageSize / 64 + 1; ++i)
        tooLong += "003E" + std::string(124, '5') + "\n";
    std::string binary(1 << 20, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 131 + 7);
    const std::string noBlock = "Файл прошивки не содержит ни одного блока\n";
    const std::vector<Row> rows = {
        {ImageText(MakeImage(1, 4095)), "Блок файла прошивки длиннее 4096 байт\n"},
        {"00 10 01 02", "Блок файла прошивки выходит за конец файла\n"},
        {"00 01 AA 00", "Файл прошивки обрывается в поле длины блока\n"},
        {tooLong, "Файл прошивки длиннее 262144 байт\n"},
        {"", noBlock},
        {"not a hex text", noBlock},
        {binary, noBlock},
    };
    for (const auto& row : rows) {
        WriteImage(row.text);
        EXPECT_EQ(Flash({}), -1);
        EXPECT_TRUE(Says(row.message)) << output;
        EXPECT_TRUE(DeviceHeardNothing()) << row.message;
        EXPECT_FALSE(Says("%"));
        EXPECT_FALSE(Says("Запись закончена"));
        EXPECT_EQ(port, nullptr);
    }
    WriteImage(ImageText(MakeImage(1, 4094)));
    EXPECT_EQ(Flash({}), 0);
    EXPECT_EQ(device->Image(), MakeImage(1, 4094));
}

// Only a regular file is an image: a folder opens for reading but reads nothing, a device reads
// for ever or nothing; neither is an empty image to report as written.
TEST_F(FirmwareTransfer, AnythingButARegularFileIsNotFound) {
    std::filesystem::remove(imagePath);
    std::filesystem::create_directory(imagePath);
    for (const std::string& path : {imagePath, std::string("/dev/null")}) {
        EXPECT_EQ(Run(RunKlineLoader, {}, {"COM12", path}), -1) << path;
        EXPECT_TRUE(Says("Зенток-А\n\nФайл не найден\n")) << output;
        EXPECT_TRUE(DeviceHeardNothing()) << path;
        EXPECT_EQ(port, nullptr);
    }
}

TEST_F(FirmwareTransfer, ProgressShowsBeforeEachSend) {
    WriteImage(ImageText(MakeImage(2, 100)));
    BootLoaderScript script;
    script.blockAnswers = {0x11, 0x00, 0x11};
    EXPECT_EQ(Flash(script), 0);
    EXPECT_TRUE(Says("\n0%   \r50%   \r50%   \r100%   \r\n")) << output;
}

TEST_F(FirmwareTransfer, RefusedBlocksAreSentAgainUpToFourTimes) {
    auto image = MakeImage(2, 64);
    WriteImage(ImageText(image));
    BootLoaderScript script;
    script.blockAnswers = {0x00, 0x00, 0x00, 0x11, 0x11};
    EXPECT_EQ(Flash(script), 0);
    EXPECT_EQ(device->BlocksReceived(), 5);
    EXPECT_EQ(device->Image(), image);

    script.blockAnswers = {0x11, 0x00, 0x7F, 0x00, 0xFF};
    EXPECT_EQ(Flash(script), -1);
    EXPECT_EQ(device->BlocksReceived(), 5) << "the fourth refusal ends it";
    EXPECT_TRUE(Says("\nОшибка записи\n\n"));
    EXPECT_EQ(port, nullptr);
}

TEST_F(FirmwareTransfer, SilenceEndsTheRunAfterSixteenSeconds) {
    WriteImage(ImageText(MakeImage(3, 64)));
    BootLoaderScript script;
    script.blockAnswers = {0x11, BootLoaderScript::Silent};
    std::uint64_t before = 0;
    EXPECT_EQ(Run(RunKlineLoader, script, {"COM12", imagePath},
                  [&](VirtualSerialLine&) { before = clock.NowMs(); }),
              -1);
    EXPECT_EQ(device->BlocksReceived(), 2) << "no resend after silence";
    EXPECT_TRUE(Says("\nДУТ не отвечает\n\n"));
    EXPECT_GE(clock.NowMs() - before, 16000u);
    EXPECT_EQ(line->ReadTimeouts().ReadTotalTimeoutMultiplier, 8000u);
    EXPECT_EQ(line->ReadTimeouts().ReadTotalTimeoutConstant, 8000u);
    EXPECT_EQ(port, nullptr);
}

// Here a write returns at once, and the echo of the largest block takes over 4 s at 9600 baud.
// Its tail must not be taken for the device's answer (a resent accepted block would be written
// twice into the device's flash).
TEST_F(FirmwareTransfer, EchoOfTheLargestBlockIsReadWholeAtLineSpeed) {
    auto image = MakeImage(2, 4094);
    WriteImage(ImageText(image));
    EXPECT_EQ(Flash({}), 0);
    EXPECT_EQ(device->BlocksReceived(), 2);
    EXPECT_EQ(device->Image(), image);
}

} // namespace
} // namespace loader_tests
