// The loaders' port on a virtual line: every LoaderComPort call of the loader code under test
// reaches the in-process line and its emulator instead of a device, so waits run on the virtual
// clock. This file's definitions take the place of the real port in this test binary.

#include <gtest/gtest.h>

#include "loaders/common/loader_com_port.h"
#include "tests/support/virtual_line.h"

using testing_support::VirtualLine;

namespace {
HANDLE const kOpenHandle = reinterpret_cast<HANDLE>(std::uintptr_t{0x4C4F4144});
} // namespace

LoaderComPort::LoaderComPort() : handle(INVALID_HANDLE_VALUE) {}

LoaderComPort::~LoaderComPort() {
    if (IsOpen() && VirtualLine::Current()) VirtualLine::Current()->Closed();
}

bool LoaderComPort::Open(const char* devicePath, std::uint32_t baud) {
    if (IsOpen() && VirtualLine::Current()) VirtualLine::Current()->Closed();
    handle = INVALID_HANDLE_VALUE;
    hungUp = false;
    VirtualLine* line = VirtualLine::Current();
    // Only COM12 is wired to the emulator; every other port is absent, and so is a pulled one.
    if (!line || std::string(devicePath) != "\\\\.\\COM12" || !line->Open(devicePath, baud)) return false;
    handle = kOpenHandle;
    return true;
}

BOOL LoaderComPort::SetTimeouts(std::uint32_t interval, std::uint32_t multiplier, std::uint32_t constant) {
    if (VirtualLine::Current()) VirtualLine::Current()->SetTimeouts({interval, multiplier, constant});
    return TRUE;
}

bool LoaderComPort::Purge() {
    if (!IsOpen()) return false;
    VirtualLine::Current()->Purge();
    return true;
}

void LoaderComPort::Close() {
    if (IsOpen()) VirtualLine::Current()->Closed();
    handle = INVALID_HANDLE_VALUE;
    hungUp = false;
}

bool LoaderComPort::Write(const std::uint8_t* bytes, std::int32_t count) {
    if (!IsOpen()) return false;
    hungUp = hungUp || VirtualLine::Current()->HungUp();
    if (hungUp) return false;
    VirtualLine::Current()->Write(bytes, count);
    return true;
}

std::int32_t LoaderComPort::Read(std::uint8_t* buffer, std::int32_t count) {
    if (!IsOpen()) return 0;
    int got = VirtualLine::Current()->Read(buffer, count);
    hungUp = hungUp || got < 0;
    return got < 0 ? 0 : got;
}

BOOL LoaderComPort::EscapeFunction(DWORD) {
    return IsOpen() ? TRUE : FALSE;
}

namespace {

using testing_support::BootLoaderEmulator;
using testing_support::BootLoaderScript;
using testing_support::VirtualClock;

// The line's reads end as COMMTIMEOUTS say, and the clock shows when.
TEST(VirtualLine, ReadsEndByTotalAndIntervalTimeouts) {
    VirtualClock clock(1000);
    BootLoaderScript script;
    script.echo = true;
    BootLoaderEmulator device(script);
    VirtualLine line(clock, device);
    std::uint8_t buffer[8] = {};

    line.SetTimeouts({100, 8000, 8000});
    EXPECT_EQ(line.Read(buffer, 1), 0);
    EXPECT_EQ(clock.NowMs(), 1000u + 16000u);

    const std::uint8_t sent[3] = {0x01, 0x02, 0x03};
    line.Write(sent, 3); // echoed at once
    line.SetTimeouts({40, 0, 2000});
    EXPECT_EQ(line.Read(buffer, 5), 3);
    EXPECT_EQ(clock.NowMs(), 17000u + 40u); // the interval ends it 40 ms after the last byte

    line.SetTimeouts({0, 0, 0});
    EXPECT_EQ(line.Read(buffer, 1), 0);
    EXPECT_TRUE(line.waitedForever);
}

} // namespace
