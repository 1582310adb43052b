#include "tests/support/virtual_com_port.h"

#include <algorithm>
#include <cstdio>

#include "platform/win32/clock.h"
#include "platform/win32/last_error.h"
#include "platform/win32/serial_settings.h"

namespace testing_support {
namespace {

using win32::ReadPlan;

std::uint64_t NowMs() {
    return win32::CurrentClock().NowMs();
}

// The first whole millisecond at or after a moment in microseconds.
std::uint64_t MsAtOrAfter(std::uint64_t us) {
    return us == SerialWire::NoEvent ? ReadPlan::NoLimit : (us + 999) / 1000;
}

std::uint64_t Later(std::uint64_t ms, std::uint64_t by) {
    return by == ReadPlan::NoLimit ? ReadPlan::NoLimit : ms + by;
}

void MoveClockTo(std::uint64_t ms) {
    for (std::uint64_t now = NowMs(); now < ms; now = NowMs())
        win32::CurrentClock().SleepMs(static_cast<DWORD>(std::min<std::uint64_t>(ms - now, MAXDWORD - 1)));
}

} // namespace

VirtualLineState::VirtualLineState(std::string name, LineDevice& device, bool echo, std::uint32_t baud)
    : name(std::move(name)), wire(device, echo) {
    speed_t speed = B9600;
    win32::BaudToSpeed(baud, &speed);
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    win32::MakeRaw(settings);
}

std::uint32_t VirtualLineState::Baud() const {
    return win32::SpeedToBaud(cfgetospeed(&settings));
}

VirtualComPort::VirtualComPort(std::shared_ptr<VirtualLineState> state) : line(std::move(state)) {
    std::lock_guard guard(line->lock);
    line->modem = {true, true, false};
    line->wire.Opened(NowMs() * 1000, line->Baud());
}

template <class Work> BOOL VirtualComPort::OnLine(Work work) {
    std::lock_guard guard(line->lock);
    if (!line->connected) return win32::FailWith(ERROR_DEVICE_NOT_CONNECTED);
    line->wire.CatchUp(NowMs() * 1000);
    return work();
}

BOOL VirtualComPort::Read(void* buffer, DWORD size, DWORD* done) {
    return OnLine([&] {
        ReadUntilDone(static_cast<std::uint8_t*>(buffer), size, done);
        return TRUE; // a time-out is a success with fewer bytes, as on Windows
    });
}

void VirtualComPort::ReadUntilDone(std::uint8_t* bytes, DWORD size, DWORD* done) {
    ReadPlan plan = win32::PlanRead(Timeouts(), size);
    std::uint64_t totalEnd = Later(NowMs(), plan.totalMs), intervalEnd = ReadPlan::NoLimit;
    while (*done < size) {
        std::uint64_t now = NowMs();
        line->wire.CatchUp(now * 1000);
        if (std::size_t got = line->wire.Take(bytes + *done, size - *done, now * 1000)) {
            *done += static_cast<DWORD>(got);
            if (plan.firstByte) return;
            if (plan.intervalMs) intervalEnd = now + plan.intervalMs;
            continue;
        }
        if (plan.atOnce) return;
        std::uint64_t deadline = std::min(totalEnd, intervalEnd);
        std::uint64_t next = MsAtOrAfter(line->wire.NextEvent(now * 1000));
        if (next != ReadPlan::NoLimit && next <= deadline) {
            MoveClockTo(next);
        } else if (deadline != ReadPlan::NoLimit) {
            MoveClockTo(deadline);
            return;
        } else {
            // On Windows the caller would hang; here the test goes on and is told.
            line->waitedForever = true;
            std::fprintf(stderr, "%s: a read of %u bytes waits for ever: no time-out and no byte to come\n",
                         line->name.c_str(), static_cast<unsigned>(size));
            return;
        }
    }
}

BOOL VirtualComPort::Write(const void* buffer, DWORD size, DWORD* done) {
    return OnLine([&] {
        if (size == 0) return TRUE;
        auto* bytes = static_cast<const std::uint8_t*>(buffer);
        std::uint32_t baud = line->Baud();
        line->writes.push_back({{bytes, bytes + size}, NowMs(), baud});
        line->wire.Write(bytes, size, NowMs() * 1000, baud);
        *done = size;
        return TRUE;
    });
}

BOOL VirtualComPort::Close() {
    std::lock_guard guard(line->lock);
    if (line->connected) line->modem = {};
    return TRUE;
}

BOOL VirtualComPort::GetState(DCB& dcb) {
    return OnLine([&] {
        win32::TermiosToDcb(line->settings, dcb);
        dcb.fDtrControl = dtrControl;
        dcb.fRtsControl = rtsControl;
        return TRUE;
    });
}

BOOL VirtualComPort::SetState(const DCB& dcb) {
    return OnLine([&] {
        termios settings = line->settings;
        if (!win32::DcbToTermios(dcb, settings)) return FALSE;
        line->settings = settings;
        dtrControl = dcb.fDtrControl;
        rtsControl = dcb.fRtsControl;
        line->modem.dtr = dtrControl == DTR_CONTROL_ENABLE;
        if (rtsControl != RTS_CONTROL_HANDSHAKE) line->modem.rts = rtsControl == RTS_CONTROL_ENABLE;
        return TRUE;
    });
}

BOOL VirtualComPort::QueueCounts(DWORD& input, DWORD& output) {
    return OnLine([&] {
        std::uint64_t now = NowMs() * 1000;
        input = static_cast<DWORD>(line->wire.Arrived(now));
        output = static_cast<DWORD>(line->wire.Unsent(now));
        return TRUE;
    });
}

BOOL VirtualComPort::Purge(bool input, bool output) {
    return OnLine([&] {
        std::uint64_t now = NowMs() * 1000;
        if (input) line->wire.DropArrived(now);
        if (output) line->wire.DropUnsent(now);
        return TRUE;
    });
}

BOOL VirtualComPort::Escape(DWORD function) {
    return OnLine([&] {
        ModemLines& modem = line->modem;
        switch (function) {
        case SETDTR:
        case CLRDTR:
            modem.dtr = function == SETDTR;
            return TRUE;
        case SETRTS:
        case CLRRTS:
            modem.rts = function == SETRTS;
            return TRUE;
        case SETBREAK:
        case CLRBREAK:
            modem.breakOn = function == SETBREAK;
            return TRUE;
        default:
            return win32::FailWith(ERROR_INVALID_PARAMETER);
        }
    });
}

} // namespace testing_support
