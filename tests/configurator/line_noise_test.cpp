// Noise on the sensor's line, with the window's own timers scanning and polling: a burst of any
// length drains, and a stray byte is not taken for an adapter's echo.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "configurator/connection.h"
#include "tests/configurator/link_fixture.h"
#include "tests/support/noisy_device.h"
#include "tools/sensor_emulator/models/kline_sensor_model.h"
#include "tools/sensor_emulator/models/rs485_sensor_model.h"

namespace {

using sensor_emulator::SensorModel;
using sensor_emulator::VirtualSerialLine;
using testing_support::Bytes;
using testing_support::NoisyDevice;
using LineNoise = testing_support::LinkTest;

// The scan probes each candidate this often.
constexpr std::uint32_t ProbePeriodMs = 500;
// A sensor on a quiet line is found well within this, whichever speed it speaks.
constexpr std::uint32_t UsualScanMs = 3000;

Bytes RandomBytes(std::size_t count) {
    std::mt19937 random(count);
    Bytes bytes(count);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    return bytes;
}

// K-line values as a sensor prints them, with no frame around them.
Bytes UnframedText(std::size_t count) {
    const std::string line = " #D4711:1230 23 1236 1234\r\n";
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(line[i % line.size()]);
    return bytes;
}

std::unique_ptr<SensorModel> MakeSensor(bool kline) {
    if (kline) return std::make_unique<sensor_emulator::KlineSensorModel>();
    return std::make_unique<sensor_emulator::Rs485SensorModel>();
}

TEST_F(LineNoise, BurstOfAnyLengthDrainsAndTheSensorIsFoundAgain) {
    struct Row {
        const char* what;
        bool kline, connected;
        Bytes noise;
    };
    const Row rows[] = {
        {"3000 random bytes while scanning", false, false, RandomBytes(3000)},
        {"10 KB of 0xFF while connected", false, true, Bytes(10'000, 0xFF)},
        {"30 s of random bytes while connected", false, true, RandomBytes(57'600)},
        {"10 KB of 0x00 while connected at 9600", true, true, Bytes(10'000, 0x00)},
        {"10 KB of unframed text while scanning for a K-line sensor", true, false, UnframedText(10'000)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto sensor = MakeSensor(row.kline);
        NoisyDevice noisy(*sensor);
        VirtualSerialLine line(3, noisy);
        if (row.connected) {
            ASSERT_TRUE(RunUntilConnected());
        }
        noisy.AfterNextWrite(row.noise);
        ASSERT_TRUE(RunUntil([&] { return noisy.NoiseEndMs() != 0; }, 2000));
        const std::uint32_t noiseEnd = noisy.NoiseEndMs();
        EXPECT_TRUE(RunUntil([&] { return SensorLink && SensorLink->replyTick > noiseEnd; },
                             noiseEnd - GetTickCount() + UsualScanMs));
        Disconnect();
        DeleteAllPorts(*CandidatePorts);
    }
}

TEST_F(LineNoise, StrayRequestStartIsNoEchoWhileAnEchoingAdapterIsFoundFromItsFirstReply) {
    struct Row {
        const char* what;
        bool echo;
        Bytes stray; // after the first probe
    };
    const Row rows[] = {
        {"quiet line", false, {}},
        {"echoing adapter", true, {}},
        {"a lone 0x31", false, {0x31}},
        {"echoing adapter and a lone 0x31", true, {0x31}},
    };
    std::uint32_t quietFoundMs = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        sensor_emulator::Rs485SensorModel sensor;
        NoisyDevice noisy(sensor);
        if (!row.stray.empty()) noisy.AfterNextWrite(row.stray, 10);
        const std::uint32_t start = GetTickCount();
        VirtualSerialLine line(3, noisy, {.echo = row.echo});
        ASSERT_TRUE(RunUntilConnected(30'000));
        // The identify reply and the release text behind it, each decoded at its first answer.
        ASSERT_TRUE(RunUntil([&] { return !form.Edit12->Text().IsEmpty(); }, 1000));
        const std::uint32_t foundMs = GetTickCount() - start;
        if (!row.echo && row.stray.empty()) quietFoundMs = foundMs;
        EXPECT_LE(foundMs, quietFoundMs + ProbePeriodMs);
        EXPECT_EQ(SensorLink->echoMode, row.echo);
        Disconnect();
        DeleteAllPorts(*CandidatePorts);
    }
}

} // namespace
