// The sensor models through their line entry, for what the whole-program runs do not show: the
// requests a model must leave unanswered (else those runs would pass whatever the program asked),
// and the reads, writes and boot-loader steps only the emulator program serves.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/virtual_clock.h"
#include "tools/sensor_emulator/models/kline_sensor_model.h"
#include "tools/sensor_emulator/models/radio_module_model.h"
#include "tools/sensor_emulator/models/rs485_sensor_model.h"
#include "tools/sensor_emulator/models/sensor_payload.h"

namespace {

using namespace sensor_emulator;
using namespace testing_support;

// One request as the program writes it and the answer the model gives; empty: silence.
struct Exchange {
    const char* what;
    std::string request, answer;
    std::uint32_t baud = 19200;
};

std::vector<TimedBytes> Runs(LineDevice& model, const std::string& request, std::uint32_t baud) {
    return model.Received(reinterpret_cast<const std::uint8_t*>(request.data()), request.size(), baud);
}

// The answer bytes in order, announcements left out.
std::string Answer(LineDevice& model, const std::string& request, std::uint32_t baud) {
    std::string bytes;
    for (const TimedBytes& run : Runs(model, request, baud))
        if (!run.announcement) bytes.append(run.bytes.begin(), run.bytes.end());
    return bytes;
}

// The exchanges in order, on the same model: a write shows in the reads after it.
void ExpectExchanges(LineDevice& model, const std::vector<Exchange>& exchanges) {
    for (const Exchange& exchange : exchanges)
        EXPECT_EQ(HexBytes(Answer(model, exchange.request, exchange.baud)), HexBytes(exchange.answer))
            << exchange.what;
}

std::string Request(int address, int command, const std::vector<std::uint8_t>& payload = {}) {
    return EncodeRs485Request(address, command, payload);
}

std::string Reply(int address, int command, const std::vector<std::uint8_t>& payload) {
    return EncodeRs485Reply(address, command, payload);
}

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(SensorModels, Rs485SensorAnswersOnlyItsOwnRequestsAndKeepsWhatItIsWritten) {
    Rs485SensorModel model({.serial = 0x11223344,
                            .address = 9,
                            .release = "ZNT-D 2.14 extended", // longer than its 16 bytes
                            .releaseSuffix = "b7",
                            .password = {'p', 'a', 's', 's', 0, 0, 0, 0}});
    const std::string probe = Request(0, 0x33);
    const std::string identity = Reply(9, 0x33, PayloadWriter().U32(0x11223344).U8(9).Bytes());
    const std::vector<std::uint8_t> extended =
        PayloadWriter().U16(801).U16(901).U16(1001).U16(0x21).Text("\x15\x16", 22).Bytes();
    const std::vector<std::uint8_t> password{'n', 'e', 'w', 0xC0, 0, 0, 0, 0};
    ExpectExchanges(
        model,
        {
            {"identify at another baud", probe, "", 9600},
            {"a request split over two reads is one", probe.substr(0, 2), ""},
            {"its rest", probe.substr(2), identity},
            {"noise at another baud breaks a request", probe.substr(0, 2), ""},
            {"the noise", "\xFF", "", 9600},
            {"the broken request's rest", probe.substr(2), ""},
            {"release cut to 16 bytes", Request(9, 0x1A), Reply(9, 0x1A, Bytes("ZNT-D 2.14 exten"))},
            {"release suffix with its NUL", Request(9, 0x1B), Reply(9, 0x1B, {'b', '7', 0})},
            {"address", Request(9, 0x04), Reply(9, 0x04, {9})},
            {"counters: 125430 minutes, 318 power-ups, 2, 1, 0", Request(9, 0x47),
             Reply(9, 0x47, {0xF6, 0xE9, 1, 0, 0x3E, 1, 0, 0, 2, 0, 1, 0, 0, 0})},
            {"another sensor's address", Request(8, 0x06), ""},
            {"a read at address 0 that is no identify", Request(0, 0x06), ""},
            {"the radio module's probe", Request(0, 0x80), ""},
            {"a code it does not know", Request(9, 0x70), ""},
            {"boot request for another serial", Request(9, 0x3A, PayloadWriter().U32(0x11223345).Bytes()),
             Reply(9, 0x3A, {1})},
            {"tube calibration", Request(9, 0x30, PayloadWriter().U16(650).Bytes()), Reply(9, 0x30, {0})},
            {"extended write", Request(9, 0x3F, extended), Reply(9, 0x3F, {0})},
            {"extended read", Request(9, 0x3E), Reply(9, 0x3E, extended)},
            {"password write", Request(9, 0x46, password), Reply(9, 0x46, {0})},
            {"password read", Request(9, 0x45), Reply(9, 0x45, password)},
            {"new address: the reply still comes from the old", Request(9, 0x03, {12}), Reply(9, 0x03, {0})},
            {"the old address", Request(9, 0x34), ""},
            {"the new address", Request(12, 0x34), Reply(12, 0x34, PayloadWriter().U16(1230).Bytes())},
        });
}

TEST(SensorModels, BootLoaderAnnouncesAfterTheHandOverAndStartsTheApplicationOnceTheBlocksStop) {
    VirtualClock clock;
    Rs485SensorModel model({.serial = 5, .address = 9});
    const SensorTiming timing;
    const std::string bootRequest = Request(9, 0x3A, PayloadWriter().U32(5).Bytes());
    EXPECT_EQ(Answer(model, bootRequest, 19200), Reply(9, 0x3A, {0}));
    EXPECT_TRUE(model.InBootLoader());
    clock.Advance(timing.handoverDelayMs - 1);
    EXPECT_FALSE(model.Announcing());
    clock.Advance(1);
    EXPECT_TRUE(model.Announcing());
    EXPECT_EQ(Answer(model, Request(0, 0x33), 19200), ""); // the boot loader knows no identify

    // A block of three bytes is acknowledged; the announcements stop.
    EXPECT_EQ(Answer(model, std::string("\x00\x03xyz", 5), 19200), "\x11");
    EXPECT_FALSE(model.Announcing());
    clock.Advance(timing.restartAfterMs - 1);
    EXPECT_EQ(Answer(model, Request(0, 0x33), 19200), "");
    clock.Advance(1);
    EXPECT_EQ(Answer(model, Request(0, 0x33), 19200), Reply(9, 0x33, {5, 0, 0, 0, 9}));
    EXPECT_FALSE(model.InBootLoader());

    // Announcements still waiting in the transport serve a second hand-over: none are added.
    EXPECT_EQ(Runs(model, bootRequest, 19200).size(), 1u);
}

TEST(SensorModels, KlineSensorAnswersOnlyRequestsWithItsNumberAndRefusesWritesItCannotRead) {
    KlineSensorModel model; // number 4711
    std::vector<Exchange> exchanges;
    auto add = [&](const char* request, const char* reply) {
        exchanges.push_back(
            {request, EncodeKlineRequest(0, 0, request), *reply ? EncodeKlineReply(0, 0, reply) : "", 9600});
    };
    add(" #E4711", " #E4711:1 2480 7850");
    add(" #X4711", " #X4711:125430 318 2 1 0");
    add(" #R4711", " #R4711:1");
    add(" #P4711", " #P4711:49 50 51 52 53 54 0 0");
    add(" #D4712", "");
    add(" #D", "");
    add(" #D47110", "");
    add(" #Z4711", "");
    add("x#D4711", "");
    add(" #T4711 GO", "");
    add(" #W4711 700 8x0 900 6", " #W4711:1");
    add(" #W4711 1 2 3", " #W4711:1");
    add(" #K4711", " #K4711:520 700 640 0"); // neither refused write stored anything
    add(" #C4711 2", " #C4711:0");
    add(" #R4711=17", " #R4711:17");
    add(" #P4711=49 50 -64 0 0 0 0 0", " #P4711:49 50 192 0 0 0 0 0");
    add(" #P4711=1 2", " #P4711:49 50 192 0 0 0 0 0");
    add(" #R4711", " #R4711:17");
    ExpectExchanges(model, exchanges);
}

TEST(SensorModels, KlineBootRequestsOfTheConfiguratorAndOfKflasher) {
    auto ask = [](KlineSensorModel& model, const std::string& text) {
        return Answer(model, EncodeKlineRequest(0, 0, text), 9600);
    };
    // The configurator's request, with a blank: status 0, then the boot loader announces itself.
    KlineSensorModel model;
    auto runs = Runs(model, EncodeKlineRequest(0, 0, " #T4711 BOOT"), 9600);
    ASSERT_GT(runs.size(), 1u);
    EXPECT_EQ(std::string(runs[0].bytes.begin(), runs[0].bytes.end()), EncodeKlineReply(0, 0, " #T4711:0"));
    EXPECT_TRUE(runs[1].announcement);
    EXPECT_EQ(std::string(runs[1].bytes.begin(), runs[1].bytes.end()), "BLST");
    EXPECT_TRUE(model.InBootLoader());
    EXPECT_EQ(ask(model, " #D4711"), "");

    // kflasher's own switch, without a blank, reaches the boot loader: it confirms with "OK" and
    // waits for blocks without announcing.
    KlineSensorModel other;
    EXPECT_EQ(ask(other, " #T4711BOOT"), EncodeKlineReply(0, 0, " #T4711OK"));
    EXPECT_TRUE(other.InBootLoader());
    EXPECT_FALSE(other.Announcing());
    EXPECT_EQ(Answer(other, std::string("\x00\x01z", 3), 9600), "\x11");
}

TEST(SensorModels, RadioModuleLetsADeviceJoinOnlyInAddModeAndAnswersOnlyItsOwnAddresses) {
    VirtualClock clock;
    RadioModuleModel model; // module 900017 at 0x30, devices 100234 at 0x31 and 100235 at 0x32
    auto list = [](std::vector<std::pair<std::uint32_t, std::uint8_t>> devices) {
        PayloadWriter payload;
        payload.U32(900017).U8(0x30).U8(static_cast<std::uint8_t>(devices.size()));
        for (const auto& [serial, address] : devices)
            payload.U32(serial).U8(address);
        return Reply(0x30, 0x80, payload.Bytes());
    };
    const RadioModuleScript script;
    clock.Advance(script.joinAfterMs);
    ExpectExchanges(model, {
                               {"off, the new device never comes", Request(0, 0x80),
                                list({{100234, 0x31}, {100235, 0x32}})},
                               {"add mode on", Request(0x30, 0x81, {5}), Reply(0x30, 0x81, {0})},
                           });
    clock.Advance(script.joinAfterMs);
    ExpectExchanges(
        model,
        {
            {"joined", Request(0x30, 0x80), list({{100234, 0x31}, {100235, 0x32}, {3000000001u, 0x33}})},
            {"a device's release", Request(0x31, 0x1A),
             Reply(0x31, 0x1A, Bytes({"ZNT-R 1.20\0\0\0\0\0\0", 16}))},
            {"a device's release suffix", Request(0x31, 0x1B), Reply(0x31, 0x1B, {'r', '3', 0})},
            {"a device's list", Request(0x31, 0x80), ""},
            {"no device there", Request(0x44, 0x86), ""},
            {"address 0 is only for the list", Request(0, 0x1A), ""},
            {"removal of a serial it does not know", Request(0x30, 0x82, PayloadWriter().U32(7).Bytes()),
             Reply(0x30, 0x82, {1})},
        });
}

} // namespace
