#include "platform/win32/serial_port.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/win32/last_error.h"
#include "platform/win32/serial_settings.h"

namespace win32 {
namespace {

// Port time-outs run on the real monotonic clock: they bound real waits on a real descriptor.
using Steady = std::chrono::steady_clock;
using TimePoint = Steady::time_point;
constexpr TimePoint Never = TimePoint::max();

TimePoint After(TimePoint start, std::uint64_t ms) {
    return ms > LongestWaitMs ? Never : start + std::chrono::milliseconds(ms);
}

enum class Readiness { Ready, TimedOut, HungUp, Failed };

Readiness WaitFor(int fd, short events, TimePoint deadline) {
    for (;;) {
        timespec left{}, *limit = nullptr;
        if (deadline != Never) {
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Steady::now()).count();
            if (ns <= 0) return Readiness::TimedOut;
            left = timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
            limit = &left;
        }
        pollfd watch{fd, events, 0};
        int ready = ::ppoll(&watch, 1, limit, nullptr);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Readiness::Failed;
        if (ready == 0) return Readiness::TimedOut;
        // Readable data goes first: the read itself then tells a hang-up by EIO or 0.
        if (watch.revents & events) return Readiness::Ready;
        return Readiness::HungUp;
    }
}

bool HungUpNow(int fd) {
    pollfd watch{fd, POLLIN, 0};
    return ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLHUP | POLLERR | POLLNVAL));
}

// Bytes still in the driver's output queue; -1 when the device has gone.
int OutputQueued(int fd) {
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) == 0) return queued;
    return errno == EIO ? -1 : 0; // a tty that keeps no count is taken as sent
}

// Windows ends a serial write when the bytes have gone to the line, not when a queue took them:
// wait for the output queue to empty, within the write time-out and twice the wire time of what
// was queued, so a line that stops sending cannot hold the caller for ever. A pseudo-terminal
// keeps no output queue. False when the device went away.
bool WaitUntilSent(int fd, TimePoint deadline) {
    int queued = OutputQueued(fd);
    if (queued <= 0) return queued == 0;
    termios settings{};
    DWORD baud = ::tcgetattr(fd, &settings) == 0 ? SpeedToBaud(cfgetospeed(&settings)) : 0;
    TimePoint bound =
        std::min(deadline, After(Steady::now(), std::uint64_t(queued) * 20000 / (baud ? baud : 300) + 1000));
    while (queued > 0 && Steady::now() < bound) {
        if (HungUpNow(fd)) return false;
        ::usleep(1000);
        queued = OutputQueued(fd);
    }
    return queued >= 0;
}

BOOL FailIo() {
    return FailWith(errno == EIO ? ERROR_DEVICE_NOT_CONNECTED : static_cast<DWORD>(errno));
}

// Raises or drops modem lines; fails on a tty without them (a pseudo-terminal).
bool SetModemLines(int fd, int lines, bool raise) {
    return ::ioctl(fd, raise ? TIOCMBIS : TIOCMBIC, &lines) == 0;
}

} // namespace

BOOL SerialPort::Read(void* buffer, DWORD size, DWORD* done) {
    ReadPlan plan = PlanRead(Timeouts(), size);
    TimePoint total = After(Steady::now(), plan.totalMs);
    auto* bytes = static_cast<unsigned char*>(buffer);
    TimePoint intervalEnd = Never;
    while (*done < size) {
        ssize_t got = ::read(fd, bytes + *done, size - *done);
        if (got > 0) {
            *done += static_cast<DWORD>(got);
            if (plan.firstByte) break;
            if (plan.intervalMs) intervalEnd = After(Steady::now(), plan.intervalMs);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EIO) return FailWith(ERROR_DEVICE_NOT_CONNECTED);
        if (got < 0 && errno != EAGAIN) return FailWithErrno();
        // A tty reads 0 after a hang-up; anything else counts as "nothing yet".
        if (got == 0 && HungUpNow(fd)) return FailWith(ERROR_DEVICE_NOT_CONNECTED);
        if (plan.atOnce) break;
        Readiness state = WaitFor(fd, POLLIN, std::min(total, intervalEnd));
        if (state == Readiness::TimedOut) break;
        if (state == Readiness::HungUp) return FailWith(ERROR_DEVICE_NOT_CONNECTED);
        if (state == Readiness::Failed) return FailWithErrno();
    }
    return TRUE; // a time-out is a success with fewer bytes, as on Windows
}

BOOL SerialPort::Write(const void* buffer, DWORD size, DWORD* done) {
    COMMTIMEOUTS t = Timeouts();
    TimePoint deadline = Never;
    if (t.WriteTotalTimeoutMultiplier || t.WriteTotalTimeoutConstant)
        deadline = After(Steady::now(),
                         std::uint64_t{t.WriteTotalTimeoutMultiplier} * size + t.WriteTotalTimeoutConstant);
    auto* bytes = static_cast<const unsigned char*>(buffer);
    while (*done < size) {
        ssize_t put = ::write(fd, bytes + *done, size - *done);
        if (put > 0) {
            *done += static_cast<DWORD>(put);
            continue;
        }
        if (put < 0 && errno == EINTR) continue;
        if (put < 0 && errno == EIO) return FailWith(ERROR_DEVICE_NOT_CONNECTED);
        if (put < 0 && errno != EAGAIN) return FailWithErrno();
        Readiness state = WaitFor(fd, POLLOUT, deadline);
        if (state == Readiness::TimedOut) break;
        if (state == Readiness::HungUp) return FailWith(ERROR_DEVICE_NOT_CONNECTED);
        if (state == Readiness::Failed) return FailWithErrno();
    }
    if (*done == size && !WaitUntilSent(fd, deadline)) return FailWith(ERROR_DEVICE_NOT_CONNECTED);
    return TRUE;
}

BOOL SerialPort::Close() {
    // The exclusive flag outlives our descriptor when another one (an emulator's) holds the tty.
    ::ioctl(fd, TIOCNXCL);
    int closing = fd;
    fd = -1;
    return ::close(closing) == 0 ? TRUE : FailWithErrno();
}

BOOL SerialPort::GetState(DCB& dcb) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) return FailIo();
    TermiosToDcb(settings, dcb);
    dcb.fDtrControl = dtrControl;
    dcb.fRtsControl = rtsControl;
    return TRUE;
}

BOOL SerialPort::SetState(const DCB& dcb) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) return FailIo();
    if (!DcbToTermios(dcb, settings)) return FALSE;
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) return FailIo();
    dtrControl = dcb.fDtrControl;
    rtsControl = dcb.fRtsControl;
    // Enable raises the line, disable drops it. A pseudo-terminal has no lines; that is no failure
    // of the settings, so the results are not looked at here.
    SetModemLines(fd, TIOCM_DTR, dcb.fDtrControl == DTR_CONTROL_ENABLE);
    if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
        SetModemLines(fd, TIOCM_RTS, dcb.fRtsControl == RTS_CONTROL_ENABLE);
    return TRUE;
}

BOOL SerialPort::QueueCounts(DWORD& input, DWORD& output) {
    int waiting = 0, queued = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0) return FailIo();
    if (::ioctl(fd, TIOCOUTQ, &queued) != 0) queued = 0;
    input = static_cast<DWORD>(waiting);
    output = static_cast<DWORD>(queued);
    return TRUE;
}

BOOL SerialPort::Purge(bool input, bool output) {
    int queue = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ::tcflush(fd, queue) == 0 ? TRUE : FailIo();
}

BOOL SerialPort::Escape(DWORD function) {
    bool done;
    switch (function) {
    case SETDTR:
        done = SetModemLines(fd, TIOCM_DTR, true);
        break;
    case CLRDTR:
        done = SetModemLines(fd, TIOCM_DTR, false);
        break;
    case SETRTS:
        done = SetModemLines(fd, TIOCM_RTS, true);
        break;
    case CLRRTS:
        done = SetModemLines(fd, TIOCM_RTS, false);
        break;
    case SETBREAK:
        done = ::ioctl(fd, TIOCSBRK) == 0;
        break;
    case CLRBREAK:
        done = ::ioctl(fd, TIOCCBRK) == 0;
        break;
    default:
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    return done ? TRUE : FailIo();
}

SerialPort::~SerialPort() {
    if (fd < 0) return;
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
}

HANDLE OpenSerialDevice(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        FailWith(errno == ENOENT ? ERROR_FILE_NOT_FOUND : errno == EBUSY ? ERROR_ACCESS_DENIED : errno);
        return nullptr;
    }
    auto refuse = [fd](DWORD error) -> HANDLE {
        ::close(fd);
        FailWith(error);
        return nullptr;
    };
    if (!::isatty(fd)) return refuse(ERROR_FILE_NOT_FOUND);
    // TIOCEXCL does not stop root; the lock does, and it also holds between two opens of one process.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return refuse(ERROR_ACCESS_DENIED);
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) return refuse(static_cast<DWORD>(errno));
    MakeRaw(settings);
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) return refuse(static_cast<DWORD>(errno));
    ::ioctl(fd, TIOCEXCL);
    SetLastError(ERROR_SUCCESS);
    return RegisterHandle(std::make_shared<SerialPort>(fd));
}

} // namespace win32
