#include <gtest/gtest.h>

#include "loaders/rs485/rs485_loader.h"
#include "tests/loaders/loader_fixture.h"

namespace loader_tests {
namespace {

using Reply = BootLoaderScript::IdentifyReply;

class Rs485Loader : public LoaderFixture {
  protected:
    void SetUp() override {
        LoaderFixture::SetUp();
        script.model = LineModel::Rs485;
    }

    int Flash(const std::function<void(VirtualSerialLine&)>& prepare = {}) {
        return Run(RunRs485Loader, script, {"COM12", imagePath}, prepare);
    }

    int IdentifyRequests() const { return CountRequests(std::string("\x31\x00\x33", 3)); }

    BootLoaderScript script;
};

TEST_F(Rs485Loader, FlashesAMultiBlockImageThroughTheWholeExchange) {
    auto image = MakeImage(4, 1000);
    WriteImage(ImageText(image));
    EXPECT_EQ(Flash(), 0);
    EXPECT_EQ(device->Image(), image);
    EXPECT_EQ(line->Baud(), 19200u);
    EXPECT_EQ(line->Opens(), 2) << "the port is opened again after the switch";
    EXPECT_EQ(IdentifyRequests(), 1);
    EXPECT_EQ(CountRequests(std::string("\x31\x07\x3A\x4E\x61\xBC\x00", 7)), 1);
    EXPECT_TRUE(Says("Программирование ДУТ Зенток-D \n\n"));
    EXPECT_TRUE(Says("Обнаружено yстройство  12345678 (07)\n"));
    EXPECT_TRUE(Says("Соединение установлено\n"));
    EXPECT_TRUE(Says("\nЗапись закончена успешно\n\n"));
    EXPECT_NE(port, nullptr) << "the port stays open until the process ends";
}

TEST_F(Rs485Loader, SerialWithTopBitShowsNegative) {
    script.serial = 0xFFFFFFFE;
    script.address = 0xAB;
    EXPECT_EQ(Flash(), 0);
    EXPECT_TRUE(Says("Обнаружено yстройство  -2 (AB)\n"));
}

// Every failed step of the hand-over waits silently for "BLST"; F asks again, Esc ends.
TEST_F(Rs485Loader, FailedHandOverFallsBackToTheWait) {
    struct Row {
        const char* name;
        Reply reply;
        std::uint8_t status;
        bool shown;
    };
    const Row rows[] = {{"8-byte reply", Reply::Short, 0, false},
                        {"bad CRC", Reply::BadCrc, 0, false},
                        {"other command", Reply::WrongCommand, 0, false},
                        {"status 1", Reply::Normal, 1, true}};
    for (const auto& row : rows) {
        script.identifyReply = row.reply;
        script.switchStatus = row.status;
        int result = Flash([&](VirtualSerialLine&) {
            TypeKeyAt(StartMs + 5000, 'F');
            TypeKeyAt(StartMs + 9000, 27);
        });
        EXPECT_EQ(result, 0) << row.name;
        EXPECT_EQ(IdentifyRequests(), 2) << row.name;
        EXPECT_EQ(Says("Обнаружено"), row.shown) << row.name;
        EXPECT_FALSE(Says("Соединение")) << row.name;
        EXPECT_EQ(line->Opens(), 1) << row.name;
        EXPECT_EQ(line->ReadTimeouts().ReadTotalTimeoutConstant, 100u)
            << row.name << ": back in the fallback wait";
    }
}

TEST_F(Rs485Loader, AnnouncementAfterTwoSecondsIsCaughtByTheFallback) {
    auto image = MakeImage(2, 20);
    WriteImage(ImageText(image));
    script.announceDelayMs = 2600;
    EXPECT_EQ(Flash(), 0);
    EXPECT_EQ(device->Image(), image);
    EXPECT_EQ(line->Opens(), 2);
}

TEST_F(Rs485Loader, FallbackDropsOtherBytesAndWaitsForBlst) {
    auto image = MakeImage(1, 20);
    WriteImage(ImageText(image));
    // Already in its boot loader: its announcement at the open is purged and it ignores requests.
    script.inLoader = true;
    EXPECT_EQ(Flash([](VirtualSerialLine& line) {
                  line.SendAt(StartMs + 4000, {'B', 'X', 'Y', 'Z', 'B', 'L', 'S'});
                  line.SendAt(StartMs + 4500, {'B', 'L', 'S', 'T'});
              }),
              0);
    EXPECT_EQ(device->Image(), image);
    EXPECT_TRUE(Says("Соединение установлено"));
}

TEST_F(Rs485Loader, TransferEndings) {
    WriteImage(ImageText(MakeImage(2, 16)));
    script.blockAnswers = {0x11, BootLoaderScript::Silent};
    EXPECT_EQ(Flash(), 2);
    EXPECT_TRUE(Says("\nДУТ не отвечает\n\n"));
    EXPECT_NE(port, nullptr);

    script.blockAnswers = {0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(Flash(), 1);
    EXPECT_TRUE(Says("\nОшибка записи\n\n"));
    EXPECT_EQ(device->BlocksReceived(), 4);

    EXPECT_EQ(Run(RunRs485Loader, script, {"COM12"}), -1);
    EXPECT_TRUE(Says("Используйте формат: rflasher.exe COMx <filename.ext> \n\n\n"));

    std::filesystem::remove(imagePath);
    EXPECT_EQ(Flash(), -1);
    EXPECT_TRUE(Says("Файл не найден\n"));
    EXPECT_TRUE(DeviceHeardNothing());
    EXPECT_EQ(port, nullptr);
}

// A pulled adapter ends the run the moment a read finds it gone: in the wait for a sensor that
// did not answer, in the 2 s read for "BLST" after the switch, and in the wait after it.
TEST_F(Rs485Loader, PulledAdapterEndsTheRunAtOnce) {
    struct Row {
        const char* name;
        bool answerFind;
        std::uint64_t pulledAtMs;
    };
    const Row rows[] = {{"no answer, fallback", false, StartMs + 3000},
                        {"after the switch", true, StartMs + 1500},
                        {"after the switch, fallback", true, StartMs + 4000}};
    for (const auto& row : rows) {
        script.answerFind = row.answerFind;
        script.announceAfterSwitch = false;
        script.announcements = 0;
        EXPECT_EQ(Flash([&](VirtualSerialLine& line) { line.UnplugAt(row.pulledAtMs); }), -1) << row.name;
        EXPECT_TRUE(Says("\\\\.\\COM12 отключен\n")) << row.name << ": " << output;
        EXPECT_EQ(line->Opens(), row.answerFind ? 2 : 1) << row.name;
        EXPECT_EQ(clock.NowMs(), row.pulledAtMs) << row.name;
        EXPECT_EQ(port, nullptr) << row.name;
    }
}

// The adapter re-enumerates as the sensor restarts: the reopen fails, the loader says it waits and
// opens the port again once it is back, in time for the sensor's announcement.
TEST_F(Rs485Loader, ReopenIsRetriedUntilThePortIsBack) {
    auto image = MakeImage(2, 20);
    WriteImage(ImageText(image));
    script.announceDelayMs = 1500;
    EXPECT_EQ(Flash([](VirtualSerialLine& line) { line.UnplugOnClose(700); }), 0);
    EXPECT_TRUE(Says("\\\\.\\COM12 недоступен, ожидание подключения\nСоединение установлено\n")) << output;
    EXPECT_EQ(line->Opens(), 2);
    EXPECT_EQ(device->Image(), image);

    // Never back: the wait goes on, paced (the clock moves), until Esc; F finds no port to ask on.
    int result = Flash([&](VirtualSerialLine& line) {
        line.UnplugOnClose(UINT64_MAX);
        TypeKeyAt(StartMs + 3000, 'F');
        TypeKeyAt(StartMs + 6000, 27);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(Says("недоступен, ожидание подключения\n"));
    EXPECT_EQ(line->Opens(), 1);
    EXPECT_EQ(IdentifyRequests(), 1);
}

} // namespace
} // namespace loader_tests
