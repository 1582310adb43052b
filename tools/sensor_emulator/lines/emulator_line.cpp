#include "tools/sensor_emulator/lines/emulator_line.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace sensor_emulator {

EmulatorLine::EmulatorLine(PortMap& map, Options options)
    : map(map), comNumber(options.comNumber ? options.comNumber : map.FreeNumber()), echo(options.echo),
      pace(options.pace) {
    if (::pipe2(stopPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    map.Map(comNumber, pty.SlavePath(), options.description);
}

EmulatorLine::~EmulatorLine() {
    Stop();
    if (mapped) map.Unmap(comNumber);
    ::close(stopPipe[0]);
    ::close(stopPipe[1]);
}

void EmulatorLine::Start(Receiver newReceiver) {
    if (thread.joinable()) return;
    receiver = std::move(newReceiver);
    thread = std::thread([this] { Run(); });
}

void EmulatorLine::Stop() {
    if (!thread.joinable()) return;
    char wake = 1;
    (void)!::write(stopPipe[1], &wake, 1);
    thread.join();
    char drained;
    while (::read(stopPipe[0], &drained, 1) < 0 && errno == EINTR) {
    }
}

void EmulatorLine::Run() {
    for (;;) {
        int master = pty.Master();
        pollfd watch[2] = {{stopPipe[0], POLLIN, 0}, {master, POLLIN, 0}};
        int ready = ::poll(watch, master >= 0 ? 2 : 1, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (watch[0].revents & POLLIN)) return;
        if (watch[1].revents & POLLIN) {
            std::string bytes = pty.Read(4096, 0);
            if (!bytes.empty()) Deliver(bytes);
        } else if (watch[1].revents & (POLLHUP | POLLERR)) {
            // Nobody holds the slave for a moment (the program closed its port): wait and look again.
            ::poll(watch, 1, 5);
            if (watch[0].revents & POLLIN) return;
        }
    }
}

void EmulatorLine::Deliver(const std::string& bytes) {
    if (echo) Send(bytes);
    {
        std::lock_guard guard(receivedLock);
        received += bytes;
    }
    receivedChanged.notify_all();
    if (receiver) receiver(*this, bytes);
}

bool EmulatorLine::Send(const std::string& bytes) {
    std::lock_guard guard(sendLock);
    DWORD baud = Baud();
    if (!pace || baud == 0) return pty.Write(bytes);
    // 8N1: a start bit, eight data bits and a stop bit per byte.
    auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / baud);
    auto next = std::chrono::steady_clock::now();
    for (char byte : bytes) {
        std::this_thread::sleep_until(next);
        if (!pty.Write(std::string(1, byte))) return false;
        next += byteTime;
    }
    std::this_thread::sleep_until(next); // the last byte's stop bit
    return true;
}

std::string EmulatorLine::Received() const {
    std::lock_guard guard(receivedLock);
    return received;
}

bool EmulatorLine::WaitForReceived(std::size_t n, int timeoutMs) const {
    std::unique_lock guard(receivedLock);
    return receivedChanged.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                    [&] { return received.size() >= n; });
}

void EmulatorLine::ClearReceived() {
    std::lock_guard guard(receivedLock);
    received.clear();
}

void EmulatorLine::Unplug() {
    Stop();
    std::lock_guard guard(sendLock);
    if (mapped) map.Unmap(comNumber);
    mapped = false;
    pty.Unplug();
}

} // namespace sensor_emulator
