#include "tools/sensor_emulator/lines/virtual_com_port.h"

#include <algorithm>
#include <cstdio>

#include "platform/win32/clock.h"
#include "platform/win32/last_error.h"
#include "platform/win32/serial_settings.h"

namespace sensor_emulator {
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

VirtualLineState::VirtualLineState(std::string name, LineDevice& device, bool echo, bool pace,
                                   std::uint32_t baud)
    : name(std::move(name)), wire(device, echo, pace) {
    speed_t speed = B9600;
    win32::BaudToSpeed(baud, &speed);
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    win32::MakeRaw(settings);
}

std::uint32_t VirtualLineState::Baud() const {
    return win32::SpeedToBaud(cfgetospeed(&settings));
}

void VirtualLineState::CatchUp(std::uint64_t nowMs) {
    wire.CatchUp(nowMs * 1000);
    if (wire.Unplugs() == unplugsSeen) return;
    unplugsSeen = wire.Unplugs();
    modem = {};
}

void VirtualLineState::Unplug(std::uint64_t fromMs, std::uint64_t toMs) {
    auto us = [](std::uint64_t ms) {
        return ms >= SerialWire::NoEvent / 1000 ? SerialWire::NoEvent : ms * 1000;
    };
    wire.Unplug(us(fromMs), us(toMs));
}

std::shared_ptr<VirtualComPort> VirtualComPort::Open(std::shared_ptr<VirtualLineState> line) {
    std::lock_guard guard(line->lock);
    std::uint64_t now = NowMs();
    line->CatchUp(now);
    if (line->wire.Away(now * 1000)) {
        win32::FailWith(ERROR_FILE_NOT_FOUND); // as a pulled adapter's port is not there
        return nullptr;
    }
    ++line->opens;
    line->modem = {true, true, false};
    line->wire.Opened(now * 1000, line->Baud());
    return std::make_shared<VirtualComPort>(line, line->wire.Unplugs());
}

template <class Work> BOOL VirtualComPort::OnLine(Work work) {
    std::lock_guard guard(line->lock);
    line->CatchUp(NowMs());
    if (HungUp()) return win32::FailWith(ERROR_DEVICE_NOT_CONNECTED);
    return work();
}

BOOL VirtualComPort::Read(void* buffer, DWORD size, DWORD* done) {
    return OnLine([&] {
        line->readTimeouts = Timeouts();
        return ReadUntilDone(static_cast<std::uint8_t*>(buffer), size, done);
    });
}

// A time-out is a success with fewer bytes, as on Windows; a pull ends the read as a failure.
BOOL VirtualComPort::ReadUntilDone(std::uint8_t* bytes, DWORD size, DWORD* done) {
    ReadPlan plan = win32::PlanRead(Timeouts(), size);
    std::uint64_t totalEnd = Later(NowMs(), plan.totalMs), intervalEnd = ReadPlan::NoLimit;
    while (*done < size) {
        std::uint64_t now = NowMs();
        line->CatchUp(now);
        if (HungUp()) return win32::FailWith(ERROR_DEVICE_NOT_CONNECTED);
        if (std::size_t got = line->wire.Take(bytes + *done, size - *done, now * 1000)) {
            *done += static_cast<DWORD>(got);
            if (plan.firstByte) return TRUE;
            if (plan.intervalMs) intervalEnd = now + plan.intervalMs;
            continue;
        }
        if (plan.atOnce) return TRUE;
        std::uint64_t deadline = std::min(totalEnd, intervalEnd);
        std::uint64_t next = MsAtOrAfter(line->wire.NextEvent(now * 1000));
        if (next != ReadPlan::NoLimit && next <= deadline) {
            MoveClockTo(next);
        } else if (deadline != ReadPlan::NoLimit) {
            MoveClockTo(deadline);
            return TRUE;
        } else {
            // On Windows the caller would hang; here the test goes on and is told.
            line->waitedForever = true;
            std::fprintf(stderr, "%s: a read of %u bytes waits for ever: no time-out and no byte to come\n",
                         line->name.c_str(), static_cast<unsigned>(size));
            return TRUE;
        }
    }
    return TRUE;
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
    std::uint64_t now = NowMs();
    line->CatchUp(now);
    if (HungUp()) return TRUE;
    line->modem = {};
    if (line->awayOnCloseMs == 0) return TRUE;
    // The adapter re-enumerates: it is away for a while from now.
    std::uint64_t away = line->awayOnCloseMs;
    line->awayOnCloseMs = 0;
    line->Unplug(now, away > VirtualLineState::Never - now ? VirtualLineState::Never : now + away);
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

} // namespace sensor_emulator
