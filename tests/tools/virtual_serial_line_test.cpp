// The in-process serial line under the Win32 serial calls, on the virtual clock.
#include "tools/sensor_emulator/lines/virtual_serial_line.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/win32/com_devices.h"
#include "platform/win32/files.h"
#include "platform/win32/last_error.h"
#include "platform/win32/serial.h"
#include "tests/support/answering_device.h"
#include "tests/support/virtual_clock.h"
#include "tools/sensor_emulator/models/boot_loader_emulator.h"

namespace {

using namespace sensor_emulator;
using namespace testing_support;
using Bytes = std::vector<std::uint8_t>;

HANDLE OpenCom(unsigned number) {
    std::u16string name = u"\\\\.\\COM";
    for (char digit : std::to_string(number))
        name += static_cast<char16_t>(digit);
    return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// A device at 9600 baud on COM4, its port open, the clock at 0.
struct OpenLine {
    VirtualClock clock{0};
    AnsweringDevice device;
    VirtualSerialLine line;
    HANDLE handle;

    OpenLine(AnsweringDevice answering, VirtualSerialLine::Options options)
        : device(std::move(answering)), line(4, device, options), handle(OpenCom(4)) {}
    ~OpenLine() { CloseHandle(handle); }

    void Write(const Bytes& bytes) {
        DWORD done = 0;
        EXPECT_TRUE(WriteFile(handle, bytes.data(), bytes.size(), &done, nullptr));
        EXPECT_EQ(done, bytes.size());
    }
    Bytes Read(DWORD size) {
        Bytes bytes(size);
        DWORD done = 0;
        EXPECT_TRUE(ReadFile(handle, bytes.data(), size, &done, nullptr));
        bytes.resize(done);
        return bytes;
    }
    COMSTAT Queues() {
        COMSTAT status{};
        EXPECT_TRUE(ClearCommError(handle, nullptr, &status));
        return status;
    }
};

TEST(VirtualSerialLine, EchoComesBackAsEachByteLeavesAndBeforeTheAnswer) {
    OpenLine port({9600, {0xA1, 0xA2}, 5}, {.echo = true});
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
    port.Write({1, 2, 3});
    // A byte takes 1.04 ms at 9600 baud: the echo arrives at 1.04, 2.08 and 3.13 ms, the answer
    // 5 ms after the last byte has gone, at 9.17 and 10.21 ms.
    struct Row {
        std::uint64_t ms;
        DWORD waiting, unsent;
    };
    for (Row row : {Row{1, 0, 3}, {2, 1, 2}, {3, 2, 1}, {4, 3, 0}, {9, 3, 0}, {10, 4, 0}, {11, 5, 0}}) {
        port.clock.Set(row.ms);
        COMSTAT status = port.Queues();
        EXPECT_EQ(status.cbInQue, row.waiting) << row.ms << " ms";
        EXPECT_EQ(status.cbOutQue, row.unsent) << row.ms << " ms";
    }
    EXPECT_EQ(port.Read(5), (Bytes{1, 2, 3, 0xA1, 0xA2}));
    EXPECT_EQ(port.clock.NowMs(), 11u);
}

TEST(VirtualSerialLine, ReadFileFollowsTheTimeoutsOnTheClock) {
    struct Row {
        const char* rule;
        COMMTIMEOUTS timeouts;
        DWORD size;
        Bytes expected;
        std::uint64_t endsAtMs;
        bool waitedForever;
    };
    // The request has gone at 1.04 ms; the answer starts 20 ms later and its bytes arrive at
    // 22.1, 23.1 and 24.2 ms.
    const Row rows[] = {
        {"all zero: every byte asked", {0, 0, 0}, 3, {'a', 'b', 'c'}, 25, false},
        {"all zero, a byte that never comes", {0, 0, 0}, 4, {'a', 'b', 'c'}, 25, true},
        {"total constant, nothing yet", {0, 0, 10}, 3, {}, 10, false},
        {"total ends between two bytes", {0, 0, 24}, 3, {'a', 'b'}, 24, false},
        {"multiplier times size", {0, 10, 0}, 3, {'a', 'b', 'c'}, 25, false},
        {"interval alone MAXDWORD: at once", {MAXDWORD, 0, 0}, 3, {}, 0, false},
        {"first byte", {MAXDWORD, MAXDWORD, 100}, 3, {'a'}, 23, false},
        {"first byte, none in time", {MAXDWORD, MAXDWORD, 15}, 3, {}, 15, false},
        {"interval runs from the last byte only", {1, 0, 0}, 10, {'a', 'b', 'c'}, 26, false},
        {"interval ends it before the total", {1, 0, 100}, 10, {'a', 'b', 'c'}, 26, false},
        {"multiplier times size and constant, in silence", {100, 5, 6}, 2, {}, 16, false},
    };
    for (const Row& row : rows) {
        OpenLine port({9600, {'a', 'b', 'c'}, 20}, {});
        ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
        COMMTIMEOUTS timeouts = row.timeouts;
        ASSERT_TRUE(SetCommTimeouts(port.handle, &timeouts));
        port.Write({0x55});
        EXPECT_EQ(port.Read(row.size), row.expected) << row.rule;
        EXPECT_EQ(port.clock.NowMs(), row.endsAtMs) << row.rule;
        EXPECT_EQ(port.line.WaitedForever(), row.waitedForever) << row.rule;
    }
}

TEST(VirtualSerialLine, PurgeDropsWhatArrivedAndWhatHasNotGone) {
    OpenLine port({9600, {0xEE}, 0}, {.echo = true});
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
    port.Write({1, 2, 3, 4});
    port.clock.Set(2); // the first byte has gone and come back; the second is on its way
    ASSERT_TRUE(PurgeComm(port.handle, PURGE_TXCLEAR | PURGE_RXCLEAR));
    port.clock.Set(50);
    EXPECT_EQ(port.Read(port.Queues().cbInQue), Bytes{0xEE}) << "no echo of the bytes never sent";
    ASSERT_EQ(port.device.heard.size(), 1u);
    EXPECT_EQ(port.device.heard[0].bytes, Bytes{1});
}

// A pull ends a waiting read at its moment; while the line is away opens fail and what is sent is
// lost; back, it opens afresh. A line that re-enumerates as its port closes is away from then.
TEST(VirtualSerialLine, PulledLineHangsUpAndComesBack) {
    OpenLine port({9600, {}, 0}, {});
    COMMTIMEOUTS timeouts{0, 0, 5000, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(port.handle, &timeouts));
    port.line.UnplugAt(100, 300);
    port.line.SendAt(200, {'x'});
    port.line.SendAt(400, {'y'});
    Bytes buffer(1);
    DWORD done = 0;
    SetLastError(0);
    EXPECT_FALSE(ReadFile(port.handle, buffer.data(), 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(port.clock.NowMs(), 100u);
    CloseHandle(port.handle);
    EXPECT_EQ(OpenCom(4), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    port.clock.Set(300);
    port.handle = OpenCom(4);
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetCommTimeouts(port.handle, &timeouts));
    EXPECT_EQ(port.Read(2), Bytes{'y'}) << "the byte sent while away is lost";
    EXPECT_EQ(port.line.Opens(), 2);
    EXPECT_EQ(port.line.ReadTimeouts().ReadTotalTimeoutConstant, 5000u);

    port.line.UnplugOnClose(50);
    CloseHandle(port.handle);
    EXPECT_EQ(OpenCom(4), INVALID_HANDLE_VALUE);
    port.clock.Advance(50);
    port.handle = OpenCom(4);
    EXPECT_NE(port.handle, INVALID_HANDLE_VALUE);
}

// An announcement due while a write is on its way waits until the device has heard it, and then
// goes out only while the device still announces: it never lands in the answer to a block.
TEST(VirtualSerialLine, AnnouncementsStopOnceTheDeviceHearsABlock) {
    VirtualClock clock{0};
    BootLoaderEmulator device({.echo = false, .inLoader = true});
    VirtualSerialLine line(4, device);
    HANDLE handle = OpenCom(4);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    COMMTIMEOUTS timeouts{0, 0, 1000, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(handle, &timeouts));
    clock.Set(40);
    // A block of 20 bytes takes 20.8 ms at 9600 baud, past the first "BLST" due at 50 ms.
    Bytes block = {0x00, 0x12};
    block.resize(20, 0xA5);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(handle, block.data(), block.size(), &done, nullptr));
    Bytes got(8);
    ASSERT_TRUE(ReadFile(handle, got.data(), got.size(), &done, nullptr));
    got.resize(done);
    EXPECT_EQ(got, Bytes{0x11});
    EXPECT_EQ(device.BlocksReceived(), 1);
    CloseHandle(handle);
}

TEST(VirtualSerialLine, WaitingCountStopsAtWhatATtyReadBufferHoldsAndNothingIsLost) {
    Bytes noise(5000);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint8_t>(i);
    OpenLine port({9600, {}, 0}, {});
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
    port.clock.Set(100);
    port.line.SendAt(100, noise);
    // 5000 bytes take 5208.3 ms at 9600 baud.
    EXPECT_EQ(port.line.QuietAtMs(), 5309u);
    port.clock.Set(5309);
    EXPECT_EQ(port.Queues().cbInQue, 4095u);
    EXPECT_EQ(port.Read(5000), noise);
    EXPECT_EQ(port.Queues().cbInQue, 0u);
}

TEST(VirtualSerialLine, RegistryNumbersAndNamesThePorts) {
    VirtualClock clock;
    AnsweringDevice device(9600, {}, 0);
    VirtualSerialLine high(12, device, {.description = "Adapter (USB)\tone"});
    VirtualSerialLine low(3, device);
    std::vector<std::pair<unsigned, std::string>> listed;
    for (const auto& port : win32::ListComPorts())
        listed.emplace_back(port.number, port.description);
    EXPECT_EQ(listed, (std::vector<std::pair<unsigned, std::string>>{{3, "Virtual serial line"},
                                                                     {12, "Adapter [USB] one"}}));
    EXPECT_THROW(VirtualSerialLine(3, device), std::invalid_argument);

    struct Row {
        unsigned number;
        bool factory;
        DWORD error;
    };
    for (Row row : {Row{0, true, ERROR_INVALID_PARAMETER},
                    {100, true, ERROR_INVALID_PARAMETER},
                    {20, false, ERROR_INVALID_PARAMETER},
                    {12, true, ERROR_ALREADY_EXISTS}}) {
        win32::SerialDeviceFactory factory;
        if (row.factory) factory = [] { return std::shared_ptr<win32::SerialDevice>(); };
        SetLastError(0);
        EXPECT_FALSE(win32::RegisterComDevice(row.number, "x", factory)) << row.number;
        EXPECT_EQ(GetLastError(), row.error) << row.number;
    }
    // A factory that refuses the open keeps its own reason.
    ASSERT_TRUE(win32::RegisterComDevice(20, "Refusing", [] {
        SetLastError(ERROR_GEN_FAILURE);
        return std::shared_ptr<win32::SerialDevice>();
    }));
    EXPECT_EQ(OpenCom(20), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
    EXPECT_TRUE(win32::UnregisterComDevice(20));
    EXPECT_FALSE(win32::UnregisterComDevice(20));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(VirtualSerialLine, NeedsAVirtualClock) {
    AnsweringDevice device(9600, {}, 0);
    EXPECT_THROW(VirtualSerialLine(5, device), std::logic_error);
    VirtualClock clock;
    EXPECT_THROW(VirtualSerialLine(5, device, {.baud = 12345}), std::invalid_argument);
}

} // namespace
