// ComPortBase and the port scan over an in-process line on the virtual clock.
#include "core/com_port_base.h"

#include <gtest/gtest.h>

#include "core/port_scan.h"
#include "platform/win32/last_error.h"
#include "platform/win32/serial.h"
#include "tests/support/answering_device.h"
#include "tests/support/current_folder.h"
#include "tests/support/recording_com_port.h"
#include "tests/support/virtual_clock.h"
#include "tools/sensor_emulator/lines/virtual_serial_line.h"

namespace {

using namespace sensor_emulator;
using namespace testing_support;

const std::vector<std::uint8_t> Request = {0x31, 0x00, 0x33, 0x29};
const std::vector<std::uint8_t> Reply = {0x3E, 0x00, 0x33};

// A sensor on COM27 that speaks 19200 baud and answers 20 ms after a request; the ports' log goes
// to a temporary folder.
struct Bench {
    TemporaryCurrentFolder folder;
    VirtualClock clock;
    AnsweringDevice sensor{19200, Reply, 20};
    VirtualSerialLine line{27, sensor, {.description = "Test sensor"}};
    PortTable table;
    PortFactory factory = [](HANDLE handle, const TString& name, const TString& friendly) -> ComPortBase* {
        return new RecordingComPort(handle, name, friendly, 19200, 0);
    };

    ~Bench() { ScanForPorts(table, factory, TString(u"none")); }
    RecordingComPort* Scan() {
        ScanForPorts(table, factory, TString());
        auto found = table.find(TString(u"COM27"));
        return found == table.end() ? nullptr : static_cast<RecordingComPort*>(found->second);
    }
    void SendRequest(const ComPortBase& port) {
        DWORD done = 0;
        ASSERT_TRUE(WriteFile(port.handle, Request.data(), Request.size(), &done, nullptr));
    }
};

std::vector<std::string> Names(const std::vector<TString>& names) {
    std::vector<std::string> texts;
    for (const TString& name : names)
        texts.push_back(name.ToStdString(1251));
    return texts;
}

TEST(ComPortBaseOnVirtualLine, ScanOpensTheLineExclusivelyAndConfiguresIt) {
    Bench bench;
    EXPECT_EQ(Names(EnumComPorts()), std::vector<std::string>{"Test sensor (COM27)"});
    RecordingComPort* port = bench.Scan();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->friendlyName.ToStdString(1251), "Test sensor (COM27)");
    EXPECT_EQ(bench.line.Baud(), 19200u);
    EXPECT_TRUE(bench.line.Modem().dtr);
    EXPECT_TRUE(bench.line.Modem().rts);
    port->SetSpeed(12345); // refused by the line, which keeps its rate
    EXPECT_EQ(bench.line.Baud(), 19200u);

    SetLastError(0);
    EXPECT_EQ(OpenComPort(TString(u"COM27")), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(bench.Scan(), port) << "a second scan keeps the open port";
    ScanForPorts(bench.table, bench.factory, TString(u"none"));
    HANDLE again = OpenComPort(TString(u"COM27"));
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << "deleting the port closed it";
    EXPECT_FALSE(bench.line.WaitedForever());
    CloseHandle(again);
}

TEST(ComPortBaseOnVirtualLine, SetSpeedIsWhatTheDeviceHearsAndInputCountsOnTheClock) {
    struct Row {
        std::int32_t baud;
        // (ms after the request was written, count CheckInput hands over then; 0: no call)
        std::vector<std::pair<int, int>> checks;
    };
    // At 19200 baud a byte takes 0.52 ms: the request has gone at 2.08 ms, the reply starts 20 ms
    // later and its bytes arrive at 22.6, 23.1 and 23.6 ms. At 9600 the device hears noise.
    const Row rows[] = {
        {9600, {{5, 0}, {100, 0}}},
        {19200, {{2, 0}, {22, 0}, {23, 1}, {24, 2}, {60, 0}}},
    };
    Bench bench;
    RecordingComPort* port = bench.Scan();
    ASSERT_NE(port, nullptr);
    for (const Row& row : rows) {
        port->SetSpeed(row.baud);
        std::uint64_t start = bench.clock.NowMs();
        bench.SendRequest(*port);
        for (auto [ms, expected] : row.checks) {
            bench.clock.Set(start + ms);
            std::size_t before = port->counts.size();
            port->CheckInput();
            int reported = port->counts.size() > before ? port->counts.back() : 0;
            EXPECT_EQ(reported, expected) << row.baud << " baud, " << ms << " ms after the request";
        }
    }
    EXPECT_EQ(port->bytes, std::string(Reply.begin(), Reply.end()));
    ASSERT_EQ(bench.sensor.heard.size(), 2u);
    EXPECT_EQ(bench.sensor.heard[0].baud, 9600u);
    EXPECT_EQ(bench.sensor.heard[1].baud, 19200u);
    EXPECT_EQ(bench.sensor.heard[1].bytes, Request);
    std::vector<LineWrite> writes = bench.line.Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[1].atMs, 1100u);
    EXPECT_EQ(writes[1].baud, 19200u);
}

TEST(ComPortBaseOnVirtualLine, UnpluggedLineHangsUpAndLeavesTheScan) {
    Bench bench;
    RecordingComPort* port = bench.Scan();
    ASSERT_NE(port, nullptr);
    bench.SendRequest(*port);
    bench.clock.Advance(50);
    bench.line.Unplug(); // the reply had come: it is lost with the line

    port->CheckInput();
    EXPECT_TRUE(port->counts.empty());
    COMSTAT status{};
    SetLastError(0);
    EXPECT_FALSE(ClearCommError(port->handle, nullptr, &status));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_TRUE(EnumComPorts().empty());

    EXPECT_EQ(bench.Scan(), nullptr);
    EXPECT_TRUE(bench.table.empty());
    EXPECT_EQ(bench.folder.Read("log.txt").find("Error: CloseHandle"), std::string::npos);
    SetLastError(0);
    EXPECT_EQ(OpenComPort(TString(u"COM27")), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(ComPortBaseOnVirtualLine, PortChosenByNameIsOpenedAgainWhenItsAdapterComesBack) {
    Bench bench;
    const TString selection(u"Test sensor (COM27)");
    ScanForPorts(bench.table, bench.factory, selection);
    ASSERT_EQ(bench.table.size(), 1u);
    bench.line.Unplug();
    VirtualSerialLine replugged{27, bench.sensor};

    // The next scan closes the dead handle, the one after opens the adapter under its name.
    ScanForPorts(bench.table, bench.factory, selection);
    EXPECT_TRUE(bench.table.empty());
    ScanForPorts(bench.table, bench.factory, selection);
    ASSERT_EQ(bench.table.size(), 1u);
    auto* port = static_cast<RecordingComPort*>(bench.table.begin()->second);
    bench.SendRequest(*port);
    bench.clock.Advance(50);
    port->CheckInput();
    EXPECT_EQ(port->bytes, std::string(Reply.begin(), Reply.end()));
}

} // namespace
