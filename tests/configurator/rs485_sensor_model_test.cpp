// The RS-485 sensor model through its line entry: request bytes in, reply bytes out.

#include "tests/support/rs485_sensor_model.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/configurator/sensor_model_fixture.h"
#include "tests/support/virtual_clock.h"

namespace sensor_model_tests {
namespace {

using testing_support::Rs485SensorModel;
using testing_support::Rs485SensorScript;

// Little-endian words, for expected payloads.
Bytes Words(std::initializer_list<std::uint16_t> words) {
    Bytes bytes;
    for (auto word : words) {
        bytes.push_back(static_cast<std::uint8_t>(word));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    return bytes;
}

Bytes Join(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

Rs485SensorScript Script() {
    Rs485SensorScript script;
    script.serial = 0x11223344;
    script.address = 9;
    script.kind = 2;
    script.release = "ZNT-D 2.14 extended"; // longer than its 16 bytes
    script.releaseSuffix = "b7";
    script.readings = {.temperature = -10,
                       .level = 0xFFF3,
                       .frequency = 8000,
                       .filtered = 0x0102,
                       .current = 0x0304,
                       .analogMv = 0x0A0B};
    script.settings = {.body = 0x0201,
                       .tube = 0x0403,
                       .fuel = 0x0605,
                       .flags = 3,
                       .flagWord = 0x0014,
                       .extended = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                       .more = {12, 13, 14, 15}};
    script.password = {'p', 'a', 's', 's', 0, 0, 0, 0};
    script.counters = {.workingMinutes = 0x01020304,
                       .powerUps = 7,
                       .watchdogResets = 1,
                       .eepromRestores = 2,
                       .powerOverloads = 3};
    script.timing.replyDelayMs = 6;
    return script;
}

TEST(Rs485SensorModel, AnswersEveryReadWithItsFields) {
    struct Row {
        const char* what;
        int address, command;
        std::optional<Bytes> reply; // from the sensor's own address
    };
    const Bytes settings = Words({0x0201, 0x0403, 0x0605, 0x0014, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    const Row rows[] = {
        {"identify at its address", 9, 0x33, Bytes{0x44, 0x33, 0x22, 0x11, 9}},
        {"release cut to 16 bytes", 9, 0x1A,
         Bytes{'Z', 'N', 'T', '-', 'D', ' ', '2', '.', '1', '4', ' ', 'e', 'x', 't', 'e', 'n'}},
        {"release suffix with its NUL", 9, 0x1B, Bytes{'b', '7', 0}},
        {"kind after ten bytes", 9, 0x05, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}},
        {"measurement", 9, 0x06, Join({0xF6}, Words({0xFFF3, 8000}))},
        {"filtered value", 9, 0x34, Words({0x0102})},
        {"current value and analog", 9, 0x35,
         Join(Join({0, 0, 0}, Words({0x0304})), Join({0, 0}, Words({0x0A0B})))},
        {"short settings", 9, 0x31, Join(Words({0x0201, 0x0403, 0x0605}), {3})},
        {"extended settings", 9, 0x3E, settings},
        {"full settings", 9, 0x43, Join(settings, Words({12, 13, 14, 15}))},
        {"password", 9, 0x45, Bytes{'p', 'a', 's', 's', 0, 0, 0, 0}},
        {"counters", 9, 0x47, Join(Bytes{4, 3, 2, 1, 7, 0, 0, 0}, Words({1, 2, 3}))},
        {"address", 9, 0x04, Bytes{9}},
        {"another sensor's address", 8, 0x06, std::nullopt},
        {"a read at address 0 that is no probe", 0, 0x06, std::nullopt},
        {"the radio module's probe", 0, 0x80, std::nullopt},
        {"a code it does not know", 9, 0x70, std::nullopt},
    };
    Rs485SensorModel model(Script());
    for (const Row& row : rows) {
        auto runs = Feed(model, EncodeRs485Request(row.address, row.command, {}), 19200);
        std::string expected = row.reply ? EncodeRs485Reply(9, row.command, *row.reply) : "";
        EXPECT_EQ(Answer(runs), expected) << row.what;
        for (const auto& run : runs)
            EXPECT_EQ(run.delayMs, 6u) << row.what;
    }
    EXPECT_EQ(model.Requests().size(), std::size(rows));
    EXPECT_TRUE(model.Writes().empty());
}

TEST(Rs485SensorModel, HearsOnlyItsBaudAndFallsSilentOnCommand) {
    Rs485SensorModel model(Script());
    std::string probe = EncodeRs485Request(0, 0x33, {});
    std::string reply = EncodeRs485Reply(9, 0x33, {0x44, 0x33, 0x22, 0x11, 9});
    EXPECT_EQ(Answer(Feed(model, probe, 9600)), "");
    EXPECT_TRUE(model.Requests().empty());
    // A request split over two reads is one request; noise at another baud in between breaks it.
    EXPECT_EQ(Answer(Feed(model, probe.substr(0, 2), 19200)), "");
    EXPECT_EQ(Answer(Feed(model, probe.substr(2), 19200)), reply);
    Feed(model, probe.substr(0, 2), 19200);
    Feed(model, "\xFF", 9600);
    EXPECT_EQ(Answer(Feed(model, probe.substr(2), 19200)), "");
    EXPECT_EQ(Answer(Feed(model, probe, 19200)), reply);
    model.SetSilent(true);
    EXPECT_EQ(Answer(Feed(model, probe, 19200)), "");
    EXPECT_EQ(model.Requests().size(), 3u); // heard all the same
    model.SetSilent(false);
    EXPECT_EQ(Answer(Feed(model, probe, 19200)), reply);
}

TEST(Rs485SensorModel, StoresWritesAndAnswersWithTheirStatus) {
    Rs485SensorScript script = Script();
    script.statuses = {{0x30, 2}, {0x36, 1}, {0x44, 4}};
    Rs485SensorModel model(script);
    const Bytes shortSettings = Join(Words({800, 900, 1000}), {1});
    const Bytes extended = Words({801, 901, 1001, 0x21, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31});
    const Bytes password{'n', 'e', 'w', 0xC0, 0, 0, 0, 0};
    struct Row {
        int command;
        Bytes payload;
        std::uint8_t status;
    };
    const Row rows[] = {
        {0x32, shortSettings, 0},
        {0x3F, extended, 0},
        {0x44, Join(extended, Words({1, 2, 3, 4})), 4},
        {0x46, password, 0},
        {0x30, Words({650}), 2},
        {0x36, {}, 1},
        {0x08, {}, 0},
        {0x09, {}, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Ask(model, 9, row.command, row.payload), EncodeRs485Reply(9, row.command, {row.status}))
            << row.command;
    // The short write set the flags byte; the extended write the rest; the failed full write nothing.
    EXPECT_EQ(Ask(model, 9, 0x31), EncodeRs485Reply(9, 0x31, Join(Words({801, 901, 1001}), {1})));
    EXPECT_EQ(Ask(model, 9, 0x43), EncodeRs485Reply(9, 0x43, Join(extended, Words({12, 13, 14, 15}))));
    EXPECT_EQ(Ask(model, 9, 0x45), EncodeRs485Reply(9, 0x45, password));
    auto writes = model.Writes();
    ASSERT_EQ(writes.size(), 5u); // the calibration commands carry nothing
    EXPECT_EQ(writes[0].command, 0x32);
    EXPECT_EQ(writes[0].payload, shortSettings);
    EXPECT_EQ(writes[4].command, 0x30);
    EXPECT_EQ(writes[4].payload, Words({650}));

    // A new address: the reply still comes from the old one, then only the new one answers.
    EXPECT_EQ(Ask(model, 9, 0x03, {12}), EncodeRs485Reply(9, 0x03, {0}));
    EXPECT_EQ(Ask(model, 9, 0x34), "");
    EXPECT_EQ(Ask(model, 12, 0x34), EncodeRs485Reply(12, 0x34, Words({0x0102})));
    EXPECT_EQ(model.State().address, 12);
}

TEST(Rs485SensorModel, BootRequestHandsOverToTheBootLoaderUntilTheBlocksStop) {
    testing_support::VirtualClock clock;
    Rs485SensorModel model(Script());
    const auto& timing = Script().timing;
    const Bytes otherSerial{0x45, 0x33, 0x22, 0x11}, ownSerial{0x44, 0x33, 0x22, 0x11};
    EXPECT_EQ(Ask(model, 9, 0x3A, otherSerial), EncodeRs485Reply(9, 0x3A, {1}));
    EXPECT_FALSE(model.InBootLoader());

    auto runs = Feed(model, EncodeRs485Request(9, 0x3A, ownSerial), 19200);
    EXPECT_EQ(Answer(runs), EncodeRs485Reply(9, 0x3A, {0}));
    ASSERT_GT(runs.size(), 2u);
    EXPECT_TRUE(runs[1].announcement);
    EXPECT_EQ(Text(runs[1].bytes), "BLST");
    EXPECT_GE(runs[1].delayMs, timing.handoverDelayMs);
    EXPECT_TRUE(model.InBootLoader());
    EXPECT_FALSE(model.Announcing()); // not before the hand-over delay
    clock.Advance(timing.handoverDelayMs);
    EXPECT_TRUE(model.Announcing());
    EXPECT_EQ(Ask(model, 0, 0x33), ""); // the boot loader knows no identify request

    // A block of three data bytes is acknowledged and kept; the announcements stop.
    EXPECT_EQ(Answer(Feed(model,
                          std::string("\x00\x03"
                                      "abc",
                                      5),
                          19200)),
              "\x11");
    EXPECT_FALSE(model.Announcing());
    EXPECT_EQ(model.BootLoader()->Image(), (Bytes{0, 3, 'a', 'b', 'c'}));
    clock.Advance(timing.restartAfterMs - 1);
    EXPECT_EQ(Ask(model, 0, 0x33), "");
    clock.Advance(1);
    EXPECT_EQ(Ask(model, 0, 0x33), EncodeRs485Reply(9, 0x33, Join(ownSerial, {9})));
    EXPECT_FALSE(model.InBootLoader());

    // Announcements still waiting in the transport serve a second hand-over: none are added.
    runs = Feed(model, EncodeRs485Request(9, 0x3A, ownSerial), 19200);
    EXPECT_EQ(runs.size(), 1u);
    EXPECT_FALSE(model.Announcing());
    clock.Advance(timing.handoverDelayMs);
    EXPECT_TRUE(model.Announcing());
}

} // namespace
} // namespace sensor_model_tests
