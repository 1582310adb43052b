// The K-line sensor model through its line entry: request texts in, reply frames out.

#include "tests/support/kline_sensor_model.h"

#include <gtest/gtest.h>

#include "tests/configurator/sensor_model_fixture.h"
#include "tests/support/virtual_clock.h"

namespace sensor_model_tests {
namespace {

using testing_support::EncodeKlineReply;
using testing_support::EncodeKlineRequest;
using testing_support::KlineSensorModel;
using testing_support::KlineSensorScript;

KlineSensorScript Script(const std::string& mark) {
    KlineSensorScript script;
    script.number = 52;
    script.name = "ZNT";
    script.mark = mark;
    script.release = "A3.07";
    script.readings = {.mode = 3,
                       .filtered = 11,
                       .temperature = -7,
                       .current = 13,
                       .normalised = 14,
                       .analog = 4096,
                       .millivolts = 2500,
                       .frequency = 990};
    script.settings = {.body = 1,
                       .tube = 2,
                       .fuel = 3,
                       .flags = 5,
                       .flagWord = 0x24,
                       .extended = {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
                       .more = {15, 16, 17, 18}};
    script.password = {'a', 'b', 0xC0, 0, 0, 0, 0, 0};
    script.counters = {.workingMinutes = 3000000000u,
                       .powerUps = 9,
                       .watchdogResets = 1,
                       .eepromRestores = 0,
                       .powerOverloads = 2};
    script.address = 4;
    return script;
}

std::string Ask(KlineSensorModel& model, const std::string& text) {
    return Answer(Feed(model, EncodeKlineRequest(0, 0, text), 9600));
}

std::string Reply(const std::string& text) {
    return EncodeKlineReply(0, 0, text);
}

TEST(KlineSensorModel, IdentifiesItselfWithItsModelMark) {
    struct Row {
        std::string mark, reply;
    };
    const Row rows[] = {
        {" ", " #I52 ZNT> A3.07$"},
        {"", " #I52 ZNT> A3.07$"},
        {":2", " #I52 ZNT>:2 A3.07$"},
        {":1", " #I52 ZNT>:1 A3.07$"},
    };
    for (const Row& row : rows) {
        KlineSensorModel model(Script(row.mark));
        EXPECT_EQ(Ask(model, " #f"), Reply(row.reply)) << row.mark;
        EXPECT_EQ(Ask(model, " #F"), Reply(row.reply)) << row.mark; // kflasher's find request
    }
}

TEST(KlineSensorModel, AnswersReadsThatCarryItsNumber) {
    struct Row {
        std::string request, reply; // empty: silence
    };
    const std::string settings = "1 2 3 36 4 5 6 7 8 9 10 11 12 13 14";
    const Row rows[] = {
        {" #D52", " #D52:11 -7 13 14"},
        {" #B52", " #B52:3 4096"},
        {" #E52", " #E52:3 2500 990"},
        {" #K52", " #K52:1 2 3 5"},
        {" #Q52", " #Q52:" + settings},
        {" #X52", " #X52:3000000000 9 1 0 2"},
        {" #R52", " #R52:4"},
        {" #P52", " #P52:97 98 192 0 0 0 0 0"},
        {" #D53", ""},
        {" #D", ""},
        {" #D520", ""},
        {" #Z52", ""},
        {"#D52", ""},
    };
    KlineSensorModel model(Script(" "));
    for (const Row& row : rows)
        EXPECT_EQ(Ask(model, row.request), row.reply.empty() ? "" : Reply(row.reply)) << row.request;
    EXPECT_TRUE(model.Writes().empty());
    // The model with the password panel has four more settings.
    KlineSensorModel panel(Script(":2"));
    EXPECT_EQ(Ask(panel, " #Q52"), Reply(" #Q52:" + settings + " 15 16 17 18"));
}

TEST(KlineSensorModel, StoresWritesAndAnswersWithTheirStatus) {
    KlineSensorScript script = Script(":2");
    script.statuses = {{'C', 1}};
    KlineSensorModel model(script);
    const std::string extended = " 100 200 300 33 21 22 23 24 25 26 27 28 29 30 31";
    struct Row {
        std::string request, reply;
    };
    const Row rows[] = {
        {" #W52 700 800 900 6", " #W52:0"},
        {" #W52 700 8x0 900 6", " #W52:1"}, // not a number: refused, nothing stored
        {" #W52 1 2 3", " #W52:1"},
        {" #S52" + extended, " #S52:0"},
        {" #S52" + extended + " 41 42 43 44", " #S52:0"},
        {" #C52 2", " #C52:1"},
        {" #R52=17", " #R52:17"},
        {" #P52=49 50 -64 0 0 0 0 0 ", " #P52:49 50 192 0 0 0 0 0"},
        {" #P52=1 2", " #P52:49 50 192 0 0 0 0 0"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Ask(model, row.request), Reply(row.reply)) << row.request;
    EXPECT_EQ(Ask(model, " #K52"), Reply(" #K52:100 200 300 6"));
    EXPECT_EQ(Ask(model, " #Q52"), Reply(" #Q52:" + extended.substr(1) + " 41 42 43 44"));
    auto writes = model.Writes();
    ASSERT_EQ(writes.size(), std::size(rows));
    EXPECT_EQ(writes[0].command, 'W');
    EXPECT_EQ(Text(writes[0].payload), " 700 800 900 6");
    EXPECT_EQ(writes[7].command, 'P');
    EXPECT_EQ(Text(writes[7].payload), "=49 50 -64 0 0 0 0 0 ");
}

TEST(KlineSensorModel, BootRequestsOfTheConfiguratorAndOfKflasher) {
    testing_support::VirtualClock clock;
    KlineSensorModel model(Script(" "));
    // The configurator's request, with a blank: status 0, then the boot loader announces itself.
    auto runs = Feed(model, EncodeKlineRequest(0, 0, " #T52 BOOT"), 9600);
    EXPECT_EQ(Answer(runs), Reply(" #T52:0"));
    ASSERT_GT(runs.size(), 1u);
    EXPECT_EQ(Text(runs[1].bytes), "BLST");
    EXPECT_TRUE(model.InBootLoader());
    EXPECT_EQ(Ask(model, " #D52"), "");

    // kflasher's own switch, without a blank, is the boot loader's: it confirms with "OK" and
    // waits for blocks without announcing.
    KlineSensorModel other(Script(" "));
    EXPECT_EQ(Ask(other, " #T52BOOT"), Reply(" #T52OK"));
    EXPECT_TRUE(other.InBootLoader());
    EXPECT_FALSE(other.Announcing());
    EXPECT_EQ(Answer(Feed(other, std::string("\x00\x01z", 3), 9600)), "\x11");

    KlineSensorScript refusing = Script(" ");
    refusing.statuses = {{'T', 3}};
    KlineSensorModel stays(refusing);
    EXPECT_EQ(Ask(stays, " #T52 BOOT"), Reply(" #T52:3"));
    EXPECT_FALSE(stays.InBootLoader());
}

} // namespace
} // namespace sensor_model_tests
