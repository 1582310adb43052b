// Fuzz links: configurator vcl_headless test_support
// Fuzz sources: tests/fuzz/window_fuzz_support.cpp
// The sensor link's receive path and reply decoding on the window (headless), for whatever a
// sensor sends on either line, before and after the link was adopted: nothing is read past what
// came, a link the decoder deleted is never touched again, and a well-formed reply is always
// decoded. Runs on the virtual clock, so the whole-frame waits take no time.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "configurator/connection.h"
#include "configurator/link/rsport.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "platform/vcl/headless/headless.h"
#include "platform/win32/files.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/window_fuzz_support.h"
#include "tests/support/virtual_clock.h"
#include "tools/sensor_emulator/lines/virtual_serial_line.h"
#include "tools/sensor_emulator/models/sensor_frames.h"

namespace {

using sensor_emulator::TimedBytes;

// Answers the first request it hears with the fuzzed bytes, then stays silent.
class FuzzedSensor : public sensor_emulator::LineDevice {
  public:
    std::vector<TimedBytes> Received(const std::uint8_t*, std::size_t, std::uint32_t) override {
        if (answered) return {};
        answered = true;
        return {TimedBytes{.delayMs = 3, .bytes = answer}};
    }
    std::vector<std::uint8_t> answer;
    bool answered = false;
};

// The receive timer's work on one port until the reply is through or the link is gone; true when
// the link still exists.
bool Pump(testing_support::VirtualClock& clock, RSport* link) {
    for (int step = 0; step < 80; ++step) {
        clock.Advance(20);
        RSport* adopted = SensorLink;
        try {
            link->CheckInput();
        } catch (const Exception&) {
            // A field that is no number while a follow-up request is built: the window shows it.
        }
        if (adopted == link && SensorLink != link) return false;
    }
    return true;
}

std::vector<std::uint8_t> Answer(FuzzedDataProvider& input, bool kline, bool wellFormed) {
    if (!wellFormed) return input.ConsumeRemainingBytes<std::uint8_t>();
    std::string frame;
    if (kline) {
        char letter = input.ConsumeIntegral<char>();
        frame = sensor_emulator::EncodeKlineReply(
            0, 0, " #" + std::string(1, letter) + input.ConsumeRandomLengthString(250));
    } else {
        int address = input.ConsumeIntegral<std::uint8_t>(), command = input.ConsumeIntegral<std::uint8_t>();
        frame = sensor_emulator::EncodeRs485Reply(address, command, input.ConsumeBytes<std::uint8_t>(255));
    }
    return std::vector<std::uint8_t>(frame.begin(), frame.end());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartWindow("sensor_reply_fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static testing_support::VirtualClock clock(1000);
    FuzzedDataProvider input(data, size);
    const bool kline = input.ConsumeBool(), adopted = input.ConsumeBool(), echo = input.ConsumeBool();
    const bool wellFormed = input.ConsumeBool();
    FuzzedSensor sensor;
    sensor.answer = Answer(input, kline, wellFormed);

    sensor_emulator::VirtualSerialLine line(7, sensor, {.echo = echo, .baud = kline ? 9600u : 19200u});
    HANDLE port =
        CreateFileW(u"\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    auto* link = new RSport(port, TString("COM7"), TString("Fuzzed sensor (COM7)"));
    link->speedDetection = false;
    if (kline) link->SetSpeed(9600);
    if (adopted) SensorLink = link;
    link->PushRequest(0x06);
    const std::uint32_t sentAt = link->replyTick;

    bool alive = Pump(clock, link);
    FUZZ_CHECK(!line.WaitedForever());
    // An RS-485 echo may hold a 0x3E of its own, and a K-line echo is a frame itself: a reply
    // behind an echo is not promised.
    if (alive && wellFormed && !echo) FUZZ_CHECK(link->replyTick != sentAt);

    if (SensorLink)
        Disconnect();
    else if (alive)
        delete link;
    vcl::headless::Reset();
    fuzz::EmptyLog();
    return 0;
}
