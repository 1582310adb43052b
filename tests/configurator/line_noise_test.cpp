// Noise on the sensor's line, with the window's own timers scanning and polling: a stray byte is
// not taken for an adapter's echo.
#include <gtest/gtest.h>

#include "configurator/connection.h"
#include "tests/configurator/link_fixture.h"
#include "tests/support/noisy_device.h"
#include "tests/support/rs485_sensor_model.h"

namespace {

using testing_support::Bytes;
using testing_support::NoisyDevice;
using testing_support::VirtualSerialLine;
using LineNoise = testing_support::LinkTest;

// The scan probes each candidate this often.
constexpr std::uint32_t ProbePeriodMs = 500;

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
        testing_support::Rs485SensorModel sensor;
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
