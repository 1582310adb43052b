// Fuzz links: configurator vcl_headless test_support
// Fuzz sources: tests/fuzz/window_fuzz_support.cpp
// The sensor link through a whole session on one line, polled every millisecond as the receive
// timer does: bytes arriving at any moment (stray bytes, bursts longer than the port holds), the
// clock moving, probes or polls sent, a sensor that answers or is silent, behind an adapter that
// echoes or not. Whatever came before, once the line is quiet and the sensor answers, a reply is
// decoded within a bounded time.
//
// An input is one setup byte (bit 0: the link is connected, bit 1: a connected link runs at 9600
// baud, bit 2: the adapter echoes, bit 3: the sensor answers from the start), then steps, each an
// opcode byte (taken mod 5) and its arguments:
//   0 n b...             n mod 32 + 1 bytes b... arrive
//   1 hi lo fill random  a burst of (hi:lo mod 6001) bytes, all `fill` or drawn with it as a seed
//   2 t                  the clock moves (t mod 64 + 1) x 16 ms
//   3 c                  a request is sent: the identify probe while scanning, else poll c mod 3
//   4                    the sensor starts or stops answering

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "configurator/connection.h"
#include "configurator/link/rsport.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "platform/vcl/headless/headless.h"
#include "platform/win32/files.h"
#include "platform/win32/serial.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/window_fuzz_support.h"
#include "tests/support/virtual_clock.h"
#include "tools/sensor_emulator/lines/virtual_serial_line.h"
#include "tools/sensor_emulator/models/sensor_frames.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// From the quiet line to the decoded reply: the queue drains within a few hundred ms, an
// outstanding request times out within a second and the next poll goes out within another.
constexpr std::uint32_t RecoveryMs = 4000;
// What one input may cost, so that each runs in a few ms of real time.
constexpr std::size_t MaxSteps = 64;
constexpr std::uint32_t MaxStepMs = 20'000;
constexpr std::size_t MaxNoise = 12'000;
// The scan probes every 500 ms; a connected sensor is polled once a second.
constexpr std::uint32_t ProbePeriodMs = 500;
constexpr std::uint32_t PollPeriodMs = 1000;
constexpr RequestCode Polls[3] = {0x06, 0x34, 0x35};

// The input byte by byte; zeros once it has run out.
class InputReader {
  public:
    InputReader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    std::uint8_t Next() { return at < size ? data[at++] : 0; }
    bool Done() const { return at >= size; }

  private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

// Answers every request it hears, when it answers, with a well-formed reply in the format of the
// line's baud; keeps all it sent, to tell afterwards whether a copy of a request was among it.
class FuzzedSensor : public sensor_emulator::LineDevice {
  public:
    std::vector<sensor_emulator::TimedBytes> Received(const std::uint8_t* bytes, std::size_t count,
                                                      std::uint32_t baud) override {
        if (!answering) return {};
        std::string reply;
        if (baud == Rs485Baud && count >= 4) {
            reply = sensor_emulator::EncodeRs485Reply(bytes[1], bytes[2], Bytes(16, 0));
        } else if (baud != Rs485Baud && count >= 10) {
            reply = sensor_emulator::EncodeKlineReply(
                0, 0, std::string(" #") + static_cast<char>(bytes[9]) + "7:0 0 0 0");
        }
        if (reply.empty()) return {};
        sent.insert(sent.end(), reply.begin(), reply.end());
        return {{.delayMs = 5, .bytes = Bytes(reply.begin(), reply.end())}};
    }

    bool answering = false;
    Bytes sent;
};

struct Session {
    testing_support::VirtualClock& clock;
    sensor_emulator::VirtualSerialLine& line;
    FuzzedSensor& sensor;
    RSport* link;
    bool deleted = false;
    std::size_t noise = 0;

    bool Connected() const { return SensorLink == link; }

    // The receive timer's work for `ms` ms; stops when the decoder has deleted the link.
    void Pump(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms && !deleted; ++i) {
            clock.Advance(1);
            bool connected = Connected();
            try {
                link->CheckInput();
            } catch (const Exception&) {
                // A field that is no number while a follow-up request is built: the window shows it.
            }
            deleted = connected && !Connected();
            // The link acts only on bytes waiting: on a line gone silent the rest of the ticks
            // would change nothing.
            if (!deleted && Silent()) {
                clock.Advance(ms - i - 1);
                return;
            }
        }
    }
    // Nothing waits, nothing is on its way in either direction. The queue counts cost a walk over
    // what waits, so a line still busy is told by its quiet time first; the count hands finished
    // writes to the device, whose answer may then be on its way, so that time is asked again.
    bool Silent() {
        DWORD errors = 0;
        COMSTAT status{};
        return line.QuietAtMs() <= clock.NowMs() && ClearCommError(link->handle, &errors, &status) &&
               status.cbInQue == 0 && status.cbOutQue == 0 && line.QuietAtMs() <= clock.NowMs();
    }
    void Send(std::uint8_t code) {
        try {
            if (Connected()) {
                link->PushRequest(Polls[code % 3]);
            } else {
                link->ClearRequests();
                link->PushRequest(0x33);
            }
        } catch (const Exception&) {
            // As in the window's timer: the box shows, the next tick goes on.
        }
    }
    void Arrive(Bytes bytes) {
        bytes.resize(std::min(bytes.size(), MaxNoise - noise));
        noise += bytes.size();
        sensor.sent.insert(sensor.sent.end(), bytes.begin(), bytes.end());
        line.SendAt(clock.NowMs(), std::move(bytes));
    }
};

Bytes Burst(InputReader& input) {
    std::size_t count = (input.Next() << 8 | input.Next()) % 6001;
    std::uint8_t fill = input.Next();
    Bytes bytes(count, fill);
    if (input.Next() & 1) {
        std::minstd_rand random(fill);
        std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(random() >> 8); });
    }
    return bytes;
}

// One step of the input; false once the input has run out.
bool RunStep(Session& session, InputReader& input) {
    if (input.Done()) return false;
    switch (input.Next() % 5) {
    case 0: {
        Bytes bytes(input.Next() % 32 + 1);
        for (std::uint8_t& byte : bytes)
            byte = input.Next();
        session.Arrive(std::move(bytes));
        break;
    }
    case 1:
        session.Arrive(Burst(input));
        break;
    case 2:
        session.Pump((input.Next() % 64 + 1) * 16u);
        break;
    case 3:
        session.Send(input.Next());
        break;
    default:
        session.sensor.answering = !session.sensor.answering;
        break;
    }
    return true;
}

// A device that sent back a request of the link's, byte for byte, looks like an echoing adapter,
// and the link rightly takes it for one.
bool RequestCopied(const Session& session) {
    const Bytes& sent = session.sensor.sent;
    for (const sensor_emulator::LineWrite& write : session.line.Writes())
        if (std::search(sent.begin(), sent.end(), write.bytes.begin(), write.bytes.end()) != sent.end())
            return true;
    return false;
}

// A reply has been decoded after `tick`.
bool DecodedSince(const Session& session, DWORD tick) {
    return static_cast<std::int32_t>(session.link->replyTick - tick) > 0;
}

// The line falls quiet, the sensor answers and requests go out as the window sends them: a reply
// is decoded within RecoveryMs.
void CheckRecovery(Session& session) {
    session.sensor.answering = true;
    std::uint64_t quietAt = session.line.QuietAtMs(), now = session.clock.NowMs();
    session.Pump(static_cast<std::uint32_t>(quietAt > now ? quietAt - now : 0));
    const DWORD quiet = GetTickCount();
    for (std::uint32_t waited = 0; waited < RecoveryMs && !session.deleted; waited += ProbePeriodMs) {
        if (DecodedSince(session, quiet)) return;
        if (!session.Connected() || waited % PollPeriodMs == 0) session.Send(0);
        session.Pump(ProbePeriodMs);
    }
    if (session.deleted || RequestCopied(session)) return;
    if (!DecodedSince(session, quiet))
        std::fprintf(stderr, "\nno reply decoded within %u ms of the line falling quiet\n", RecoveryMs);
    FUZZ_CHECK(DecodedSince(session, quiet));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartWindow("link_session_fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static testing_support::VirtualClock clock(1000);
    InputReader input(data, size);
    const std::uint8_t setup = input.Next();
    const bool connected = setup & 1, kline = setup & 2, echo = setup & 4;
    FuzzedSensor sensor;
    sensor.answering = setup & 8;
    sensor_emulator::VirtualSerialLine line(7, sensor, {.echo = echo});
    HANDLE port =
        CreateFileW(u"\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Session session{clock, line, sensor, new RSport(port, TString("COM7"), TString("Fuzzed line (COM7)"))};
    if (connected) {
        session.link->speedDetection = false;
        if (kline) session.link->SetSpeed(9600);
        SensorLink = session.link;
    }

    const std::uint64_t start = clock.NowMs();
    for (std::size_t step = 0; step < MaxSteps && clock.NowMs() - start < MaxStepMs && !session.deleted;
         ++step)
        if (!RunStep(session, input)) break;
    if (!session.deleted) CheckRecovery(session);
    FUZZ_CHECK(!line.WaitedForever());

    if (SensorLink)
        Disconnect();
    else if (!session.deleted)
        delete session.link;
    DeleteAllPorts(*CandidatePorts);
    vcl::headless::Reset();
    fuzz::EmptyLog();
    return 0;
}
