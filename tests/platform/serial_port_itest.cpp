#include "platform/win32/serial.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/win32/files.h"
#include "platform/win32/last_error.h"
#include "tests/support/ms_since.h"
#include "tools/sensor_emulator/lines/port_map.h"
#include "tools/sensor_emulator/lines/pty_pair.h"

namespace {

using sensor_emulator::PortMap;
using sensor_emulator::PtyPair;
using testing_support::MsSince;
using Steady = std::chrono::steady_clock;

struct MappedPort {
    PortMap map;
    PtyPair pty;
    HANDLE handle = INVALID_HANDLE_VALUE;
    MappedPort() {
        map.Map(5, pty.SlavePath());
        handle =
            CreateFileW(u"\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ~MappedPort() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    // Pulls the line and its map entry: the closed pty's number may be another process's at once.
    void Unplug() {
        map.Unmap(5);
        pty.Unplug();
    }
    void SetTimeouts(DWORD interval, DWORD multiplier, DWORD constant) {
        COMMTIMEOUTS timeouts{interval, multiplier, constant, 0, 0};
        ASSERT_TRUE(SetCommTimeouts(handle, &timeouts));
    }
    // Reads `size` bytes; returns what came and how long the call took.
    std::pair<std::string, long long> TimedRead(DWORD size) {
        std::string bytes(size, '\0');
        DWORD done = 0;
        auto start = Steady::now();
        EXPECT_TRUE(ReadFile(handle, bytes.data(), size, &done, nullptr));
        long long took = MsSince(start);
        bytes.resize(done);
        return {bytes, took};
    }
    // Master writes the pieces, each after its delay (ms from now), on a thread.
    std::thread Send(std::vector<std::pair<int, std::string>> pieces) {
        return std::thread([this, pieces] {
            auto start = Steady::now();
            for (auto& [at, bytes] : pieces) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(at));
                pty.Write(bytes);
            }
        });
    }
};

TEST(SerialPort, OpensExclusivelyAcrossProcessesAndReopensAfterClose) {
    MappedPort port;
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
    SetLastError(0);
    EXPECT_EQ(CreateFileA("\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

    auto childOpens = [] {
        pid_t child = ::fork();
        if (child == 0) {
            HANDLE h = CreateFileW(u"\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                   nullptr);
            ::_exit(h == INVALID_HANDLE_VALUE ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    EXPECT_FALSE(childOpens()); // busy in this process, so also for another one (and for root)
    ASSERT_TRUE(CloseHandle(port.handle));
    port.handle = INVALID_HANDLE_VALUE;
    EXPECT_TRUE(childOpens());
    port.handle =
        CreateFileW(u"\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(port.handle, INVALID_HANDLE_VALUE);

    SetLastError(0);
    EXPECT_EQ(
        CreateFileW(u"\\\\.\\COM6", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
        INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

// Runs `body` in a child process and tells whether it exited with 0.
template <class Body> bool InChild(Body body) {
    pid_t child = ::fork();
    if (child == 0) ::_exit(body() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SerialPort, ExclusiveFlagHoldsForOthersAndIsGivenUpOnCloseOrExit) {
    if (::getuid() != 0) GTEST_SKIP() << "needs root to play an ordinary user";
    MappedPort port;
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
    ASSERT_EQ(::chmod(port.pty.SlavePath().c_str(), 0666), 0);
    auto userOpens = [&] {
        return InChild([&] {
            if (::setuid(65534) != 0) return false;
            int fd = ::open(port.pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
            return fd >= 0;
        });
    };
    EXPECT_FALSE(userOpens()) << "a program that ignores the lock still meets TIOCEXCL";
    ASSERT_TRUE(CloseHandle(port.handle));
    port.handle = INVALID_HANDLE_VALUE;
    EXPECT_TRUE(userOpens());

    // A program that opens the port and exits without closing it leaves the line usable.
    EXPECT_TRUE(InChild([] {
        HANDLE h =
            CreateFileW(u"\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        std::exit(0);
    }));
    EXPECT_TRUE(userOpens());
}

TEST(SerialPort, SettingsReachTheLineAndModemCallsFailOnlyOnAPty) {
    MappedPort port;
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
    DCB dcb{};
    ASSERT_TRUE(GetCommState(port.handle, &dcb));
    for (DWORD baud : {CBR_9600, CBR_19200, CBR_115200}) {
        dcb.BaudRate = baud;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        ASSERT_TRUE(SetCommState(port.handle, &dcb)) << GetLastError();
        EXPECT_EQ(port.pty.LineBaud(), baud);
        DCB back{};
        ASSERT_TRUE(GetCommState(port.handle, &back));
        EXPECT_EQ(back.BaudRate, baud);
        EXPECT_EQ(back.fDtrControl, DTR_CONTROL_DISABLE);
        EXPECT_EQ(back.fRtsControl, dcb.fRtsControl);
    }
    dcb.BaudRate = 12345;
    EXPECT_FALSE(SetCommState(port.handle, &dcb));
    EXPECT_EQ(port.pty.LineBaud(), CBR_115200);

    EXPECT_TRUE(SetupComm(port.handle, 1024, 1024));
    for (DWORD function : {SETDTR, SETRTS, CLRDTR, CLRRTS})
        EXPECT_FALSE(EscapeCommFunction(port.handle, function));
    EXPECT_FALSE(EscapeCommFunction(port.handle, 77));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    DWORD done = 0;
    ASSERT_TRUE(WriteFile(port.handle, "\x31\x00\x33\x29", 4, &done, nullptr));
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(port.pty.ReadExactly(4, 1000), std::string("\x31\x00\x33\x29", 4)); // no byte rewritten
}

TEST(SerialPort, QueueCountAndPurge) {
    MappedPort port;
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
    COMSTAT status{};
    DWORD errors = 99;
    ASSERT_TRUE(ClearCommError(port.handle, &errors, &status));
    EXPECT_EQ(status.cbInQue, 0u);
    EXPECT_EQ(errors, 0u);
    port.pty.Write("\r\n\x03\x7f\x11\x13");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(ClearCommError(port.handle, nullptr, &status));
    EXPECT_EQ(status.cbInQue, 6u);
    ASSERT_TRUE(PurgeComm(port.handle, PURGE_TXCLEAR | PURGE_RXCLEAR));
    ASSERT_TRUE(ClearCommError(port.handle, nullptr, &status));
    EXPECT_EQ(status.cbInQue, 0u);
    EXPECT_FALSE(PurgeComm(port.handle, 0x100));
}

TEST(SerialPort, ReadHonoursEveryTimeoutRule) {
    MappedPort port;
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);

    // All zero: waits for every byte asked, however long they take.
    port.SetTimeouts(0, 0, 0);
    std::thread late = port.Send({{0, "ab"}, {300, "cd"}});
    auto [all, allMs] = port.TimedRead(4);
    late.join();
    EXPECT_EQ(all, "abcd");
    EXPECT_GE(allMs, 200); // the sender's clock may start a little before the read's

    // Total: multiplier x n + constant from the call's start, nothing sent.
    port.SetTimeouts(0, 20, 100);
    auto [none, noneMs] = port.TimedRead(5);
    EXPECT_EQ(none, "");
    EXPECT_GE(noneMs, 195);
    EXPECT_LT(noneMs, 1000);

    // Interval: ends the read once bytes stop, but does not run before the first byte.
    port.SetTimeouts(60, 0, 0);
    std::thread slow = port.Send({{250, "xyz"}});
    auto [gap, gapMs] = port.TimedRead(10);
    slow.join();
    EXPECT_EQ(gap, "xyz");
    EXPECT_GE(gapMs, 200);
    EXPECT_LT(gapMs, 250 + 700);

    // Interval MAXDWORD alone: what is waiting, at once.
    port.pty.Write("q");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    port.SetTimeouts(MAXDWORD, 0, 0);
    auto [now, nowMs] = port.TimedRead(10);
    EXPECT_EQ(now, "q");
    EXPECT_LT(nowMs, 200);
    auto [empty, emptyMs] = port.TimedRead(10);
    EXPECT_EQ(empty, "");
    EXPECT_LT(emptyMs, 200);

    // Interval and multiplier MAXDWORD: back as soon as anything comes, else after the constant.
    port.SetTimeouts(MAXDWORD, MAXDWORD, 2000);
    std::thread one = port.Send({{100, "k"}});
    auto [first, firstMs] = port.TimedRead(10);
    one.join();
    EXPECT_EQ(first, "k");
    EXPECT_GE(firstMs, 50);
    EXPECT_LT(firstMs, 1000);
}

TEST(SerialPort, HugeTotalTimeoutWaitsInsteadOfEndingAtOnce) {
    MappedPort port;
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
    // Multiplier x n runs far past what the clock can count: in effect no total time-out.
    port.SetTimeouts(0, MAXDWORD, MAXDWORD);
    std::string block(4096, 'b');
    std::thread sender = port.Send({{100, block}});
    auto [got, gotMs] = port.TimedRead(4096);
    sender.join();
    EXPECT_EQ(got.size(), block.size());
    EXPECT_GE(gotMs, 50);
}

TEST(SerialPort, UnpluggedLineFailsReadsAndWritesWithoutHanging) {
    MappedPort port;
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
    port.SetTimeouts(0, 0, 0); // a read that would wait for ever on a live line
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        port.Unplug();
    });
    char buffer[8];
    DWORD done = 7;
    auto start = Steady::now();
    SetLastError(0);
    EXPECT_FALSE(ReadFile(port.handle, buffer, sizeof buffer, &done, nullptr));
    unplug.join();
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(done, 0u);
    EXPECT_LT(MsSince(start), 2000);

    SetLastError(0);
    EXPECT_FALSE(WriteFile(port.handle, "x", 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    COMSTAT status{};
    EXPECT_FALSE(ClearCommError(port.handle, nullptr, &status));
    EXPECT_FALSE(ReadFile(port.handle, buffer, sizeof buffer, &done, nullptr));
    EXPECT_TRUE(CloseHandle(port.handle));
    port.handle = INVALID_HANDLE_VALUE;
}

TEST(SerialPort, StaleAndForeignHandlesAreRefused) {
    MappedPort port;
    ASSERT_NE(port.handle, INVALID_HANDLE_VALUE);
    HANDLE stale = port.handle;
    ASSERT_TRUE(CloseHandle(stale));
    port.handle = INVALID_HANDLE_VALUE;
    DCB dcb{};
    COMSTAT status{};
    SetLastError(0);
    EXPECT_FALSE(GetCommState(stale, &dcb));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(ClearCommError(stale, nullptr, &status));
    EXPECT_FALSE(EscapeCommFunction(INVALID_HANDLE_VALUE, SETDTR));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

} // namespace
