#include "tools/sensor_emulator/lines/pty_pair.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

#include "platform/win32/serial_settings.h"

namespace sensor_emulator {
namespace {

void MakeRawLine(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) throw std::runtime_error("tcgetattr on pty");
    win32::MakeRaw(settings);
    ::tcsetattr(fd, TCSANOW, &settings);
}

} // namespace

PtyPair::PtyPair() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) throw std::runtime_error("no pty");
    char name[128];
    if (::ptsname_r(master, name, sizeof name) != 0) throw std::runtime_error("ptsname");
    slavePath = name;
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) throw std::runtime_error("open pty slave");
    MakeRawLine(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    Unplug();
    if (slave >= 0) ::close(slave);
}

DWORD PtyPair::LineBaud() const {
    termios settings{};
    if (master < 0 || ::tcgetattr(master, &settings) != 0) return 0;
    return win32::SpeedToBaud(cfgetospeed(&settings));
}

void PtyPair::Unplug() {
    if (master < 0) return;
    ::close(master);
    master = -1;
    // Our own slave descriptor would keep the line alive for nobody; drop it with the master.
    if (slave >= 0) ::close(slave);
    slave = -1;
}

bool PtyPair::Write(const std::string& bytes) {
    std::size_t sent = 0;
    while (master >= 0 && sent < bytes.size()) {
        ssize_t put = ::write(master, bytes.data() + sent, bytes.size() - sent);
        if (put > 0) {
            sent += static_cast<std::size_t>(put);
        } else if (put < 0 && errno == EAGAIN) {
            pollfd watch{master, POLLOUT, 0};
            ::poll(&watch, 1, 100);
        } else if (!(put < 0 && errno == EINTR)) {
            return false;
        }
    }
    return master >= 0;
}

std::string PtyPair::Read(std::size_t most, int timeoutMs) {
    std::string bytes;
    if (master < 0) return bytes;
    pollfd watch{master, POLLIN, 0};
    if (::poll(&watch, 1, timeoutMs) <= 0 || !(watch.revents & POLLIN)) return bytes;
    bytes.resize(most);
    ssize_t got = ::read(master, bytes.data(), most);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

std::string PtyPair::ReadExactly(std::size_t n, int timeoutMs) {
    using Steady = std::chrono::steady_clock;
    auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    std::string bytes;
    while (bytes.size() < n) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
        if (left <= 0) break;
        std::string more = Read(n - bytes.size(), static_cast<int>(left));
        if (more.empty() && !Plugged()) break;
        bytes += more;
    }
    return bytes;
}

} // namespace sensor_emulator
