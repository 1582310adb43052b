#include "tests/support/virtual_line.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace testing_support {

namespace {
VirtualLine* current = nullptr;
} // namespace

VirtualLine::VirtualLine(VirtualClock& clock, BootLoaderEmulator& device) : clock(clock), device(device) {
    current = this;
}

VirtualLine::~VirtualLine() {
    current = nullptr;
}

VirtualLine* VirtualLine::Current() {
    return current;
}

bool VirtualLine::Open(const std::string& path, std::uint32_t baudRate) {
    TypeDueKeys();
    if (Away(clock.NowMs())) return false;
    openedPaths.push_back(path);
    baud = baudRate;
    ++opens;
    openedAtMs = clock.NowMs();
    Schedule(device.Opened());
    return true;
}

void VirtualLine::Closed() {
    ++closes;
    if (reenumerateMs == 0) return;
    std::uint64_t now = clock.NowMs();
    UnplugAt(now, reenumerateMs > UINT64_MAX - now ? UINT64_MAX : now + reenumerateMs);
    reenumerateMs = 0;
}

void VirtualLine::UnplugAt(std::uint64_t atMs, std::uint64_t backMs) {
    unplugAtMs = atMs;
    backAtMs = backMs;
}

std::uint64_t VirtualLine::LostAtMs() const {
    return openedAtMs < unplugAtMs ? unplugAtMs : UINT64_MAX;
}

bool VirtualLine::HungUp() const {
    return clock.NowMs() >= LostAtMs();
}

void VirtualLine::SetTimeouts(LineTimeouts value) {
    timeouts = value;
}

void VirtualLine::Purge() {
    incoming.erase(incoming.begin(), incoming.upper_bound(clock.NowMs()));
}

void VirtualLine::Write(const std::uint8_t* bytes, int count) {
    std::uint64_t wireMs = paceBaud ? std::uint64_t(count) * 10000 / paceBaud : 0;
    Schedule(device.Received(bytes, static_cast<std::size_t>(count)), wireMs);
}

void VirtualLine::Schedule(const std::vector<TimedBytes>& runs, std::uint64_t wireMs) {
    std::uint64_t now = clock.NowMs();
    for (const auto& run : runs) {
        if (wireMs != 0 && run.echo) {
            // The echo: each byte as its stop bit leaves.
            for (std::size_t k = 0; k < run.bytes.size(); ++k)
                incoming.emplace(now + (k + 1) * 10000 / paceBaud, Incoming{run.bytes[k], false});
            continue;
        }
        for (std::uint8_t byte : run.bytes)
            incoming.emplace(now + wireMs + run.delayMs, Incoming{byte, run.announcement});
    }
}

void VirtualLine::MoveClockTo(std::uint64_t ms) {
    if (ms > clock.NowMs()) clock.Set(ms);
    TypeDueKeys();
}

void VirtualLine::TypeDueKeys() {
    while (!keys.empty() && keys.begin()->first <= clock.NowMs()) {
        TypeIntoStdin(keys.begin()->second);
        keys.erase(keys.begin());
    }
}

// A read of `count` bytes ends when all came, when the interval passes between two bytes, or
// when multiplier x count + constant passes from its start; a hang-up ends it with -1.
int VirtualLine::Read(std::uint8_t* buffer, int count) {
    std::uint64_t start = clock.NowMs();
    bool totalLimit = timeouts.multiplier != 0 || timeouts.constant != 0;
    std::uint64_t deadline =
        start + std::uint64_t(timeouts.multiplier) * std::uint64_t(count) + timeouts.constant;
    std::uint64_t lost = std::max(LostAtMs(), start);
    int got = 0;
    std::uint64_t last = start;
    while (got < count) {
        std::uint64_t limit = totalLimit ? deadline : UINT64_MAX;
        if (got > 0 && timeouts.interval != 0) limit = std::min(limit, last + timeouts.interval);
        bool byteFirst =
            !incoming.empty() && incoming.begin()->first <= limit && incoming.begin()->first < lost;
        if (!byteFirst) {
            if (lost != UINT64_MAX && lost <= limit) {
                MoveClockTo(lost);
                return -1;
            }
            if (limit == UINT64_MAX) {
                waitedForever = true;
                return got;
            }
            MoveClockTo(limit);
            return got;
        }
        auto next = incoming.begin();
        Incoming arriving = next->second;
        std::uint64_t sentAt = next->first;
        std::uint64_t at = std::max(clock.NowMs(), sentAt);
        incoming.erase(next);
        if (arriving.announcement && !device.Announcing()) continue;
        if (Away(sentAt)) continue; // sent while the adapter was away
        last = at;
        MoveClockTo(last);
        buffer[got++] = arriving.byte;
    }
    return got;
}

void VirtualLine::Deliver(std::uint64_t atMs, const std::vector<std::uint8_t>& bytes) {
    for (std::uint8_t byte : bytes)
        incoming.emplace(atMs, Incoming{byte, false});
}

void VirtualLine::TypeKeyAt(std::uint64_t atMs, char key) {
    keys.emplace(atMs, key);
}

namespace {
int KeyboardPipe() {
    static int writeEnd = [] {
        int ends[2];
        if (pipe(ends) != 0) return -1;
        // With standard input closed the pipe may take descriptor 0 itself; move both ends above
        // the standard three first.
        int readEnd = fcntl(ends[0], F_DUPFD, 3);
        int typing = fcntl(ends[1], F_DUPFD, 3);
        close(ends[0]);
        close(ends[1]);
        dup2(readEnd, STDIN_FILENO);
        close(readEnd);
        return typing;
    }();
    return writeEnd;
}
} // namespace

void InstallKeyboardPipe() {
    KeyboardPipe();
}

void TypeIntoStdin(char key) {
    int writeEnd = KeyboardPipe();
    if (writeEnd >= 0 && write(writeEnd, &key, 1) != 1) std::perror("typing into standard input");
}

} // namespace testing_support
