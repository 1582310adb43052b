// The sensor models on a pty mapped as a COM port, reached through the program's own serial calls.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <vector>

#include "platform/win32/files.h"
#include "platform/win32/serial.h"
#include "tests/support/device_line.h"
#include "tests/support/kline_sensor_model.h"
#include "tests/support/rs485_sensor_model.h"

namespace {

using namespace testing_support;

// The program's side of the line: one open COM port with a read time-out.
class ProgramPort {
  public:
    ProgramPort(const std::string& name, DWORD baud) {
        std::string path = "\\\\.\\" + name;
        handle =
            CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetBaud(baud);
        COMMTIMEOUTS timeouts{50, 0, 1000, 0, 0};
        SetCommTimeouts(handle, &timeouts);
    }
    ~ProgramPort() { CloseHandle(handle); }
    bool Open() const { return handle != INVALID_HANDLE_VALUE; }

    void SetBaud(DWORD baud) {
        DCB dcb{};
        GetCommState(handle, &dcb);
        dcb.BaudRate = baud;
        SetCommState(handle, &dcb);
    }
    // Writes the request and reads what comes back within the time-outs.
    std::string Ask(const std::string& request, DWORD most = 64) {
        DWORD done = 0;
        WriteFile(handle, request.data(), static_cast<DWORD>(request.size()), &done, nullptr);
        return Read(most);
    }
    std::string Read(DWORD most) {
        std::string bytes(most, '\0');
        DWORD done = 0;
        ReadFile(handle, bytes.data(), most, &done, nullptr);
        bytes.resize(done);
        return bytes;
    }

  private:
    HANDLE handle;
};

TEST(SensorModelLines, Rs485SensorAnswersAtItsBaudAndHandsOver) {
    PortMap map;
    Rs485SensorModel model({.serial = 0x00010203, .address = 5});
    DeviceLine line(map, model, {.comNumber = 11});
    ProgramPort port(line.ComName(), CBR_19200);
    ASSERT_TRUE(port.Open());
    std::string identity = EncodeRs485Reply(5, 0x33, {3, 2, 1, 0, 5});
    EXPECT_EQ(port.Ask(EncodeRs485Request(0, 0x33, {})), identity);
    port.SetBaud(CBR_9600);
    EXPECT_EQ(port.Ask(EncodeRs485Request(0, 0x33, {})), "");
    port.SetBaud(CBR_19200);
    // The status reply, then the boot loader's announcement after the hand-over delay.
    EXPECT_EQ(port.Ask(EncodeRs485Request(5, 0x3A, {3, 2, 1, 0}), 5), EncodeRs485Reply(5, 0x3A, {0}));
    EXPECT_EQ(port.Read(4), "BLST");
}

TEST(SensorModelLines, EachAnswerIsNoticedWhenItGoesOut) {
    using Clock = std::chrono::system_clock;
    PortMap map;
    Rs485SensorModel model({.serial = 0x00010203, .address = 5});
    std::mutex lock;
    std::vector<std::size_t> sizes;
    Clock::time_point first, last;
    DeviceLine line(map, model, {.comNumber = 14}, [&](const TimedBytes& run, auto from, auto to) {
        std::lock_guard guard(lock);
        sizes.push_back(run.bytes.size());
        first = from;
        last = to;
    });
    ProgramPort port(line.ComName(), CBR_19200);
    ASSERT_TRUE(port.Open());
    auto asked = Clock::now();
    std::string reply = port.Ask(EncodeRs485Request(0, 0x33, {}));
    auto answered = Clock::now();
    ASSERT_EQ(reply, EncodeRs485Reply(5, 0x33, {3, 2, 1, 0, 5}));
    std::lock_guard guard(lock);
    EXPECT_EQ(sizes, std::vector<std::size_t>{reply.size()});
    EXPECT_LE(asked, first);
    EXPECT_LE(first, last);
    EXPECT_LE(first, answered);
}

TEST(SensorModelLines, KlineSensorBehindAnEchoingAdapter) {
    PortMap map;
    KlineSensorModel model({.number = 8, .mark = ":2"});
    DeviceLine line(map, model, {.comNumber = 12, .echo = true});
    ProgramPort port(line.ComName(), CBR_9600);
    ASSERT_TRUE(port.Open());
    std::string probe = EncodeKlineRequest(0, 0, " #f");
    std::string identity = EncodeKlineReply(0, 0, " #I8 ZNT-A>:2 A3.07$");
    EXPECT_EQ(port.Ask(probe, static_cast<DWORD>(probe.size() + identity.size())), probe + identity);
    port.SetBaud(CBR_19200);
    EXPECT_EQ(port.Ask(probe), probe); // the adapter echoes at any baud; the sensor stays silent
}

} // namespace
