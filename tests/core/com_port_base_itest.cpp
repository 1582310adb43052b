#include "core/com_port_base.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/port_scan.h"
#include "platform/win32/serial.h"
#include "tests/support/current_folder.h"
#include "tests/support/log_text.h"
#include "tests/support/recording_com_port.h"
#include "tools/sensor_emulator/lines/emulator_line.h"

namespace {

using sensor_emulator::EmulatorLine;
using sensor_emulator::PortMap;
using RecordingPort = testing_support::RecordingComPort;
using testing_support::TemporaryCurrentFolder;

std::vector<std::string> LogLines(const TemporaryCurrentFolder& folder) {
    return testing_support::LogTexts(folder.Read("log.txt"));
}

HANDLE Open(const char* name) {
    return OpenComPort(TString(name));
}

TEST(ComPortBase, ConfiguresLogsAndChangesSpeed) {
    TemporaryCurrentFolder folder;
    PortMap map;
    EmulatorLine line(map, {.comNumber = 3});
    {
        SimpleLog appLog;
        HANDLE handle = Open("COM3");
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        auto* port = new RecordingPort(handle, TString("COM3"), TString("Emulated sensor (COM3)"), 9600, 0);
        EXPECT_EQ(line.Baud(), 9600u);
        DCB dcb{};
        ASSERT_TRUE(GetCommState(handle, &dcb));
        EXPECT_EQ(dcb.ByteSize, 8);
        EXPECT_EQ(dcb.Parity, NOPARITY);
        EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
        EXPECT_EQ(dcb.fDtrControl, DTR_CONTROL_ENABLE);
        EXPECT_EQ(dcb.fRtsControl, RTS_CONTROL_ENABLE);
        EXPECT_TRUE(port->speedDetection);
        EXPECT_TRUE(port->present);
        EXPECT_EQ(port->requestTick, 0);
        EXPECT_EQ(port->pendingRequest, 0);

        port->SetSpeed(19200);
        EXPECT_EQ(line.Baud(), 19200u);
        EXPECT_EQ(port->baud, 19200);
        port->SetSpeed(12345); // the line refuses it; the port still records and logs it
        EXPECT_EQ(port->baud, 12345);
        EXPECT_EQ(line.Baud(), 19200u);
        delete port;
        EXPECT_NE(Open("COM3"), INVALID_HANDLE_VALUE) << "the destructor closes the handle";
    }
    EXPECT_EQ(LogLines(folder),
              (std::vector<std::string>{"COM3:\topened", "COM3:\tSetting speed:\t19200",
                                        "COM3:\tError: SetCommState - 87", "COM3:\tSetting speed:\t12345",
                                        "COM3:\tclosed", "Closing logs"}));
}

TEST(ComPortBase, FailingSetupCallsAreLoggedAndTheWorkGoesOn) {
    TemporaryCurrentFolder folder;
    {
        SimpleLog appLog;
        RecordingPort port(INVALID_HANDLE_VALUE, TString("COM9"), TString("Gone (COM9)"), 19200, 0);
        port.CheckInput();
        EXPECT_TRUE(port.counts.empty());
        RecordingPort unnamed(INVALID_HANDLE_VALUE, TString(), TString(), 9600, 0);
    }
    EXPECT_EQ(
        LogLines(folder),
        (std::vector<std::string>{"COM9:\tError: GetCommState - 6", "COM9:\tError: SetCommState - 6",
                                  "COM9:\tError: SetupComm - 6", "COM9:\topened", "Error: GetCommState - 6",
                                  "Error: SetCommState - 6", "Error: SetupComm - 6", "opened",
                                  "Error: CloseHandle handle - 6", "closed",
                                  "COM9:\tError: CloseHandle handle - 6", "COM9:\tclosed", "Closing logs"}));
}

TEST(ComPortBase, CheckInputHandsOverOnlyWaitingBytes) {
    TemporaryCurrentFolder folder;
    PortMap map;
    EmulatorLine line(map, {.comNumber = 2});
    HANDLE handle = Open("COM2");
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    RecordingPort port(handle, TString("COM2"), TString("Emulated sensor (COM2)"), 19200, 0);
    for (int i = 0; i < 100; ++i)
        port.CheckInput();
    EXPECT_TRUE(port.counts.empty());
    line.Send(std::string("\x3E\x00\x33", 3));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (port.counts.empty() && std::chrono::steady_clock::now() < deadline)
        port.CheckInput();
    ASSERT_EQ(port.counts, std::vector<std::int32_t>{3});
    EXPECT_EQ(port.bytes, std::string("\x3E\x00\x33", 3));
    port.CheckInput();
    EXPECT_EQ(port.counts.size(), 1u);

    line.Unplug(); // a hung-up port reports no input and does not block
    port.CheckInput();
    EXPECT_EQ(port.counts.size(), 1u);
}

} // namespace
