#include "tools/sensor_emulator/lines/emulator_line.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/win32/files.h"
#include "platform/win32/last_error.h"
#include "platform/win32/serial.h"
#include "platform/win32/setupapi.h"
#include "tests/support/emulator_port.h"
#include "tests/support/ms_since.h"
#include "tools/sensor_emulator/models/sensor_frames.h"

namespace {

using sensor_emulator::EmulatorLine;
using sensor_emulator::PortMap;
using testing_support::OpenEmulatorPort;
using Steady = std::chrono::steady_clock;

std::string ReadSome(HANDLE handle, DWORD size) {
    std::string bytes(size, '\0');
    DWORD done = 0;
    ReadFile(handle, bytes.data(), size, &done, nullptr);
    bytes.resize(done);
    return bytes;
}

TEST(EmulatorLine, AnswersDecodedRequestsAtTheBaudTheProgramSet) {
    PortMap map;
    EmulatorLine line(map, {.comNumber = 0, .description = "Emulated sensor"});
    EXPECT_EQ(line.ComName(), "COM1");
    sensor_emulator::RequestDecoder decoder;
    DWORD seenBaud = 0;
    line.Start([&](EmulatorLine& wire, const std::string& bytes) {
        decoder.Feed(bytes);
        while (auto frame = decoder.Next()) {
            seenBaud = wire.Baud();
            wire.Send(sensor_emulator::EncodeRs485Reply(frame->address, frame->command, {0xAB}));
        }
    });
    HANDLE port = OpenEmulatorPort(line.ComName(), CBR_19200, 2000);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    std::string probe = sensor_emulator::EncodeRs485Request(0, 0x33, {});
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(port, probe.data(), 4, &done, nullptr));
    EXPECT_EQ(ReadSome(port, 5), sensor_emulator::EncodeRs485Reply(0, 0x33, {0xAB}));
    EXPECT_EQ(seenBaud, CBR_19200);
    EXPECT_EQ(line.Received(), probe);
    CloseHandle(port);
}

TEST(EmulatorLine, EchoesAndPacesAtTheLineBaud) {
    PortMap map;
    EmulatorLine line(map, {.comNumber = 9, .echo = true, .pace = true});
    line.Start();
    HANDLE port = OpenEmulatorPort("COM9", CBR_9600, 2000);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(port, "hello", 5, &done, nullptr));
    EXPECT_EQ(ReadSome(port, 5), "hello");
    EXPECT_TRUE(line.WaitForReceived(5, 1000));

    // 96 bytes at 9600 baud, 10 bits each, take 100 ms on the wire.
    line.SetEcho(false);
    auto start = Steady::now();
    ASSERT_TRUE(line.Send(std::string(96, 'x')));
    EXPECT_EQ(ReadSome(port, 96), std::string(96, 'x'));
    EXPECT_GE(testing_support::MsSince(start), 90);
    CloseHandle(port);
}

TEST(EmulatorLine, UnplugHangsUpTheProgramsPortAndLeavesTheList) {
    PortMap map;
    EmulatorLine line(map, {.comNumber = 4, .description = "Emulated sensor"});
    line.Start();
    HANDLE port = OpenEmulatorPort("COM4", CBR_9600, 2000);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    line.Unplug();
    EXPECT_FALSE(line.Send("x"));
    char byte;
    DWORD done = 0;
    EXPECT_FALSE(ReadFile(port, &byte, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_FALSE(WriteFile(port, "x", 1, &done, nullptr));
    CloseHandle(port);

    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        BYTE buffer[1000];
        ASSERT_TRUE(SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_FRIENDLYNAME, nullptr, buffer,
                                                      sizeof buffer, nullptr));
        EXPECT_NE(std::u16string(reinterpret_cast<const char16_t*>(buffer)), u"Emulated sensor (COM4)");
    }
    SetupDiDestroyDeviceInfoList(set);
}

} // namespace
