#include <gtest/gtest.h>

#include "loaders/kline/kline_loader.h"
#include "tests/loaders/loader_fixture.h"

namespace loader_tests {
namespace {

class KlineLoader : public LoaderFixture {
  protected:
    int Flash(BootLoaderScript script, const std::function<void(VirtualSerialLine&)>& prepare = {}) {
        return Run(RunKlineLoader, script, {"COM12", imagePath}, prepare);
    }
};

TEST_F(KlineLoader, FlashesAMultiBlockImageThroughTheWholeExchange) {
    auto image = MakeImage(3, 300);
    WriteImage(ImageText(image));
    EXPECT_EQ(Flash({}), 0);
    EXPECT_EQ(device->Image(), image);
    EXPECT_EQ(line->Baud(), 9600u);
    EXPECT_EQ(line->Opens(), 1) << "COM12 names the line";
    EXPECT_EQ(CountRequests(" #F"), 1);
    EXPECT_EQ(CountRequests(" #i4711"), 1);
    EXPECT_EQ(CountRequests(" #T4711BOOT"), 1);
    EXPECT_TRUE(Says("Программирование ДУТ Зенток-А"));
    EXPECT_TRUE(Says("\nДУТ обнаружен. Номер: 4711\n"));
    EXPECT_TRUE(Says("Соединение установлено\n"));
    EXPECT_TRUE(Says("100%   \r\nЗапись закончена успешно\n\n"));
    EXPECT_EQ(port, nullptr) << "success closes and deletes the port";
    EXPECT_FALSE(line->Modem().dtr || line->Modem().rts) << "the port raised both; closing dropped them";
}

TEST_F(KlineLoader, ArgumentRules) {
    WriteImage("00 01 AA");
    struct Row {
        std::vector<std::string> arguments;
        bool usage;
    };
    const std::vector<Row> rows = {
        {{"COM12"}, true},
        {{"com12", imagePath}, true},
        {{"COM123", imagePath}, true},
        {{"COM:123", imagePath}, true},
        {{"COM12", imagePath, "x"}, true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Run(RunKlineLoader, {}, row.arguments), -1);
        EXPECT_TRUE(Says("Используйте формат: kflasher.exe COMx <filename.ext> \n\n\n")) << row.arguments[0];
        EXPECT_EQ(line->Opens(), 0);
    }
    EXPECT_EQ(Run(RunKlineLoader, {}, {"COM:12", imagePath}), 0) << "COM:12 names COM12";
    EXPECT_EQ(line->Opens(), 1);
    EXPECT_EQ(Run(RunKlineLoader, {}, {"COM5", imagePath}), -1);
    EXPECT_TRUE(Says("\\\\.\\COM5 недоступен\n"));
    EXPECT_EQ(port, nullptr);
}

TEST_F(KlineLoader, AnnouncementFromIdleConnectsWithoutTheExchange) {
    auto image = MakeImage(2, 10);
    WriteImage(ImageText(image));
    BootLoaderScript script;
    script.inLoader = true;
    EXPECT_EQ(Flash(script), 0);
    EXPECT_EQ(device->Image(), image);
    EXPECT_EQ(CountRequests(" #i"), 0);
    EXPECT_FALSE(Says("ДУТ обнаружен"));
}

TEST_F(KlineLoader, NoOkWithinFourSecondsEndsTheRun) {
    WriteImage(ImageText(MakeImage(1, 4)));
    BootLoaderScript script;
    script.confirmSwitch = false;
    EXPECT_EQ(Flash(script), -1);
    EXPECT_TRUE(Says("Устройство не обнаружено\n"));
    EXPECT_EQ(device->BlocksReceived(), 0);
    EXPECT_GE(clock.NowMs(), StartMs + 4000);
    EXPECT_LT(clock.NowMs(), StartMs + 4500);
    EXPECT_EQ(port, nullptr);
}

// A noisy or fast line may bring more than the echo buffer holds before "OK", or nothing else.
// At 9600 baud at most 3840 bytes come in the 4 s wait, so here the line takes no wire time.
TEST_F(KlineLoader, OkCollectionStaysInsideTheEchoBuffer) {
    lineOptions.pace = false;
    auto image = MakeImage(1, 8);
    WriteImage(ImageText(image));
    BootLoaderScript script;
    script.noiseAfterSwitch = 3 * EchoBufferSize + 1;
    EXPECT_EQ(Flash(script), 0);
    EXPECT_EQ(device->Image(), image);

    script.confirmSwitch = false;
    EXPECT_EQ(Flash(script), -1);
    EXPECT_TRUE(Says("Устройство не обнаружено"));
}

TEST_F(KlineLoader, FrameBytesMoreThan100msApartAreDropped) {
    auto identification = KlineFrame(" #I77");
    std::vector<std::uint8_t> head(identification.begin(), identification.begin() + 5);
    std::vector<std::uint8_t> tail(identification.begin() + 5, identification.end());
    BootLoaderScript script;
    script.answerFind = false;
    script.confirmSwitch = false;
    for (int gap : {150, 90}) {
        int result = Run(RunKlineLoader, script, {"COM12", imagePath}, [&](VirtualSerialLine& line) {
            line.SendAt(StartMs + 500, head);
            line.SendAt(StartMs + 500 + gap, tail);
            TypeKeyAt(StartMs + 2000, 27);
        });
        // Heard, the identification leads to the switch, which this device leaves unconfirmed.
        EXPECT_EQ(result, gap > 100 ? 0 : -1) << gap;
        EXPECT_EQ(CountRequests(" #i77"), gap > 100 ? 0 : 1) << gap;
        delete port;
        port = nullptr;
    }
}

TEST_F(KlineLoader, BadFramesAreDroppedAndDiscoveryGoesOn) {
    auto image = MakeImage(1, 4);
    WriteImage(ImageText(image));
    auto badSum = KlineFrame(" #I55");
    badSum.back() ^= 1;
    auto lengthZero = KlineFrame(" #I56");
    lengthZero[6] = 0;
    auto length55 = KlineFrame(std::string(" #I57") + std::string(50, '0'));
    BootLoaderScript script;
    script.answerFind = false;
    int result = Run(RunKlineLoader, script, {"COM12", imagePath}, [&](VirtualSerialLine& line) {
        line.SendAt(StartMs + 200, badSum);
        line.SendAt(StartMs + 400, lengthZero);
        line.SendAt(StartMs + 600, length55);
        // 'B' 'L' 'T' starts no announcement; the identification after it is heard.
        line.SendAt(StartMs + 800, {'B', 'L', 'T'});
        line.SendAt(StartMs + 1000, KlineFrame(" #I58 rev 2"));
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(CountRequests(" #i5"), 1);
    EXPECT_EQ(CountRequests(" #i58"), 1);
    EXPECT_EQ(CountRequests(" #T58BOOT"), 1);
    EXPECT_TRUE(Says("ДУТ обнаружен. Номер: 58 rev 2\n"));
    EXPECT_EQ(device->Image(), image);
}

TEST_F(KlineLoader, KeysDuringDiscovery) {
    BootLoaderScript script;
    script.answerFind = false;
    int result = Run(RunKlineLoader, script, {"COM12", imagePath}, [&](VirtualSerialLine&) {
        TypeKeyAt(StartMs + 300, 'f');
        TypeKeyAt(StartMs + 600, 'x');
        TypeKeyAt(StartMs + 900, 'F');
        TypeKeyAt(StartMs + 1200, 27);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(CountRequests(" #F"), 3);
    EXPECT_NE(port, nullptr) << "Esc leaves the port open to the end of the process";
}

// A pulled adapter ends the run the moment a read finds it gone, in discovery as in the wait for
// "OK", with the port's name; the clock stops there, so nothing waits out a time-out after it.
TEST_F(KlineLoader, PulledAdapterEndsTheRunAtOnce) {
    struct Row {
        const char* name;
        bool answerFind;
        std::uint64_t pulledAtMs;
    };
    const Row rows[] = {{"discovery", false, StartMs + 700}, {"OK wait", true, StartMs + 2000}};
    for (const auto& row : rows) {
        BootLoaderScript script;
        script.answerFind = row.answerFind;
        script.confirmSwitch = false;
        int result = Flash(script, [&](VirtualSerialLine& line) { line.UnplugAt(row.pulledAtMs); });
        EXPECT_EQ(result, -1) << row.name;
        EXPECT_TRUE(Says("\\\\.\\COM12 отключен\n")) << row.name << ": " << output;
        EXPECT_FALSE(Says("Устройство не обнаружено")) << row.name;
        EXPECT_EQ(CountRequests(" #T4711BOOT"), row.answerFind ? 1 : 0) << row.name;
        EXPECT_EQ(clock.NowMs(), row.pulledAtMs) << row.name;
        EXPECT_EQ(port, nullptr) << row.name;
    }
}

TEST_F(KlineLoader, BootReplyWithOkIsAnnounced) {
    BootLoaderScript script;
    script.answerFind = false;
    Run(RunKlineLoader, script, {"COM12", imagePath}, [&](VirtualSerialLine& line) {
        line.SendAt(StartMs + 200, KlineFrame(" #T12OK"));
        line.SendAt(StartMs + 400, KlineFrame(" #T12NO"));
        TypeKeyAt(StartMs + 600, 27);
    });
    EXPECT_NE(output.find("Bootloader Start\n"), std::string::npos);
    EXPECT_EQ(output.find("Bootloader Start"), output.rfind("Bootloader Start"));
}

} // namespace
} // namespace loader_tests
