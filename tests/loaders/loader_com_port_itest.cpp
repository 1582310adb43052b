#include "loaders/common/loader_com_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/win32/serial.h"
#include "tests/support/ms_since.h"
#include "tools/sensor_emulator/lines/emulator_line.h"

namespace {

using sensor_emulator::EmulatorLine;
using sensor_emulator::PortMap;
using testing_support::MsSince;
using Steady = std::chrono::steady_clock;

const std::uint8_t* Bytes(const char* text) {
    return reinterpret_cast<const std::uint8_t*>(text);
}

TEST(LoaderComPort, ClosedPortDoesNothingAndSaysSo) {
    PortMap map;
    LoaderComPort port;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Open("\\\\.\\COM42", 9600));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.handle, INVALID_HANDLE_VALUE);
    std::uint8_t buffer[4];
    EXPECT_EQ(port.Read(buffer, 4), 0);
    EXPECT_FALSE(port.Write(Bytes("ab"), 2));
    EXPECT_FALSE(port.Purge());
    EXPECT_EQ(port.EscapeFunction(SETDTR), FALSE);
    port.Close();
    EXPECT_EQ(port.handle, INVALID_HANDLE_VALUE);
}

TEST(LoaderComPort, OpensAtItsBaudAndReopensOverItsOwnHandle) {
    PortMap map;
    EmulatorLine line(map, {.comNumber = 3});
    line.Start();
    LoaderComPort port;
    ASSERT_TRUE(port.Open("\\\\.\\COM3", 9600));
    EXPECT_EQ(line.Baud(), 9600u);
    // The port is exclusive, so this only succeeds when the old handle was closed first.
    ASSERT_TRUE(port.Open("\\\\.\\COM3", 19200));
    EXPECT_EQ(line.Baud(), 19200u);
    LoaderComPort other;
    EXPECT_FALSE(other.Open("\\\\.\\COM3", 19200));
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(port.EscapeFunction(SETDTR), FALSE); // a pty has no modem lines; the port still works
    EXPECT_TRUE(port.Write(Bytes("BOOT"), 4));
    EXPECT_TRUE(line.WaitForReceived(4, 1000));
    EXPECT_EQ(line.Received(), "BOOT");
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(other.Open("\\\\.\\COM3", 19200));
}

TEST(LoaderComPort, ReadsUnderTheTimeoutsOfEachStep) {
    PortMap map;
    EmulatorLine line(map, {.comNumber = 3, .echo = true});
    line.Start();
    LoaderComPort port;
    ASSERT_TRUE(port.Open("\\\\.\\COM3", 9600));
    std::uint8_t buffer[64];

    ASSERT_TRUE(port.SetTimeouts(40, 0, 100));
    auto start = Steady::now();
    EXPECT_EQ(port.Read(buffer, 4), 0); // silence: the whole constant
    EXPECT_GE(MsSince(start), 95);
    EXPECT_FALSE(port.HungUp()) << "a time-out is no hang-up";

    ASSERT_TRUE(port.SetTimeouts(100, 0, 2000));
    ASSERT_TRUE(port.Write(Bytes("block"), 5));
    start = Steady::now();
    EXPECT_EQ(port.Read(buffer, 64), 5); // the echo, ended by the interval, not the 2 s total
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "block");
    EXPECT_LT(MsSince(start), 1000);

    line.SetEcho(false);
    line.Send("stale");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(port.Purge());
    ASSERT_TRUE(port.SetTimeouts(40, 0, 1));
    EXPECT_EQ(port.Read(buffer, 64), 0);
    EXPECT_EQ(port.Read(buffer, -1), 0);
    EXPECT_FALSE(port.Write(Bytes("x"), -1));
}

// The loaders' waits tell a pulled adapter from silence by HungUp, whichever call met it first.
TEST(LoaderComPort, UnpluggedLineReadsNothingAndSaysItHungUp) {
    for (bool readFirst : {true, false}) {
        PortMap map;
        EmulatorLine line(map, {.comNumber = 8});
        LoaderComPort port;
        ASSERT_TRUE(port.Open("\\\\.\\COM8", 19200));
        ASSERT_TRUE(port.SetTimeouts(0, 0, 0));
        line.Unplug();
        std::uint8_t buffer[8];
        auto start = Steady::now();
        if (readFirst)
            EXPECT_EQ(port.Read(buffer, 8), 0);
        else
            EXPECT_FALSE(port.Write(Bytes("x"), 1));
        EXPECT_LT(MsSince(start), 1000);
        EXPECT_TRUE(port.HungUp()) << readFirst;
        port.Close();
        EXPECT_FALSE(port.IsOpen());
        EXPECT_FALSE(port.HungUp()) << "a closed port is no longer the one that hung up";
    }
}

} // namespace
