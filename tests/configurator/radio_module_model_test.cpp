// The radio module model through its line entry: its list, add mode and removal, and the devices
// behind it answering at their own addresses.

#include "tests/support/radio_module_model.h"

#include <gtest/gtest.h>

#include "tests/configurator/sensor_model_fixture.h"
#include "tests/support/virtual_clock.h"

namespace sensor_model_tests {
namespace {

using testing_support::RadioModuleModel;
using testing_support::RadioModuleScript;

RadioModuleScript Script() {
    RadioModuleScript script;
    script.serial = 0x01020304;
    script.address = 0x40;
    script.release = "RM-4";
    script.releaseSuffix = "x";
    script.devices = {{.serial = 0x0A0B0C0D, .address = 0x41, .kind = 0, .release = "DEV-A"},
                      {.serial = 0x80000001, .address = 0x42, .kind = 2}};
    script.devices[0].values = {.age = 0x0102,
                                .unitWord = 0x8000,
                                .reading1 = 2731,
                                .reading2 = 0,
                                .temperature = -5,
                                .battery = 96,
                                .signal = -100,
                                .reading3 = 0x0304,
                                .analog = 4096};
    script.newDevice = {{.serial = 0xFFFFFFFE, .address = 0x43}};
    script.joinAfterMs = 3000;
    return script;
}

// The module's list reply: its serial and address, the count, then each device's serial and address.
std::string List(std::initializer_list<Bytes> devices) {
    Bytes payload{0x04, 0x03, 0x02, 0x01, 0x40, static_cast<std::uint8_t>(devices.size())};
    for (const auto& device : devices)
        payload.insert(payload.end(), device.begin(), device.end());
    return EncodeRs485Reply(0x40, 0x80, payload);
}

const Bytes First{0x0D, 0x0C, 0x0B, 0x0A, 0x41};
const Bytes Second{0x01, 0x00, 0x00, 0x80, 0x42};
const Bytes Joined{0xFE, 0xFF, 0xFF, 0xFF, 0x43};

TEST(RadioModuleModel, ModuleAndDevicesAnswerAtTheirAddresses) {
    struct Row {
        const char* what;
        int address, command;
        std::string reply;
    };
    const Row rows[] = {
        {"list at its address", 0x40, 0x80, List({First, Second})},
        {"module release", 0x40, 0x1A,
         EncodeRs485Reply(0x40, 0x1A, {'R', 'M', '-', '4', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"module release suffix", 0x40, 0x1B, EncodeRs485Reply(0x40, 0x1B, {'x', 0})},
        {"device release", 0x41, 0x1A,
         EncodeRs485Reply(0x41, 0x1A, {'D', 'E', 'V', '-', 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"device kind", 0x42, 0x05, EncodeRs485Reply(0x42, 0x05, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2})},
        {"device values", 0x41, 0x86,
         EncodeRs485Reply(
             0x41, 0x86,
             {0x02, 0x01, 0x00, 0x80, 0xAB, 0x0A, 0, 0, 0xFB, 0x60, 0x9C, 0x04, 0x03, 0x00, 0x10})},
        {"the identify probe of a sensor", 0, 0x33, ""},
        {"a device's list", 0x41, 0x80, ""},
        {"no device there", 0x44, 0x86, ""},
    };
    RadioModuleModel model(Script());
    for (const Row& row : rows)
        EXPECT_EQ(Ask(model, row.address, row.command), row.reply) << row.what;
}

TEST(RadioModuleModel, DeviceJoinsInAddModeAndCanBeRemoved) {
    testing_support::VirtualClock clock;
    RadioModuleModel model(Script());
    // Off, the new device never comes.
    clock.Advance(5000);
    EXPECT_EQ(Ask(model, 0x40, 0x80), List({First, Second}));
    EXPECT_EQ(Ask(model, 0x40, 0x81, {5}), EncodeRs485Reply(0x40, 0x81, {0}));
    EXPECT_TRUE(model.AddMode());
    clock.Advance(2999);
    EXPECT_EQ(Ask(model, 0x40, 0x80), List({First, Second}));
    clock.Advance(1);
    EXPECT_EQ(Ask(model, 0x40, 0x80), List({First, Second, Joined}));
    EXPECT_EQ(Ask(model, 0x43, 0x05), EncodeRs485Reply(0x43, 0x05, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(Ask(model, 0x40, 0x81, {0}), EncodeRs485Reply(0x40, 0x81, {0}));
    EXPECT_FALSE(model.AddMode());

    EXPECT_EQ(Ask(model, 0x40, 0x82, {0x01, 0x00, 0x00, 0x80}), EncodeRs485Reply(0x40, 0x82, {0}));
    EXPECT_EQ(Ask(model, 0x40, 0x82, {0x01, 0x00, 0x00, 0x80}), EncodeRs485Reply(0x40, 0x82, {1}));
    EXPECT_EQ(Ask(model, 0x40, 0x80), List({First, Joined}));
    EXPECT_EQ(Ask(model, 0x42, 0x86), ""); // gone from the module

    auto writes = model.Writes();
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[0].command, 0x81);
    EXPECT_EQ(writes[0].payload, Bytes{5});
    EXPECT_EQ(writes[2].command, 0x82);
    EXPECT_EQ(writes[2].payload, (Bytes{0x01, 0x00, 0x00, 0x80}));
}

} // namespace
} // namespace sensor_model_tests
