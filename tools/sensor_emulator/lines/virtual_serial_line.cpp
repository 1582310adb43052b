#include "tools/sensor_emulator/lines/virtual_serial_line.h"

#include <stdexcept>

#include "platform/win32/clock.h"
#include "platform/win32/com_devices.h"
#include "platform/win32/serial_settings.h"

namespace sensor_emulator {
namespace {

std::uint32_t CheckedBaud(std::uint32_t baud) {
    speed_t speed;
    if (!win32::BaudToSpeed(baud, &speed)) throw std::invalid_argument("no line runs at this baud");
    return baud;
}

} // namespace

VirtualSerialLine::VirtualSerialLine(unsigned comNumber, LineDevice& device, Options options)
    : comNumber(comNumber),
      state(std::make_shared<VirtualLineState>("COM" + std::to_string(comNumber), device, options.echo,
                                               options.pace, CheckedBaud(options.baud))) {
    if (!win32::CurrentClock().IsVirtual())
        throw std::logic_error("a virtual serial line runs on a virtual clock only");
    auto line = state;
    if (!win32::RegisterComDevice(comNumber, options.description,
                                  [line] { return VirtualComPort::Open(line); }))
        throw std::invalid_argument(ComName() + " is taken or out of range");
    registered = true;
}

VirtualSerialLine::~VirtualSerialLine() {
    if (registered) win32::UnregisterComDevice(comNumber);
    {
        // Gone since the start of time: nothing of it plays again, so the device is not touched.
        std::lock_guard guard(state->lock);
        state->Unplug(0, VirtualLineState::Never);
    }
}

std::uint32_t VirtualSerialLine::Baud() const {
    std::lock_guard guard(state->lock);
    return state->Baud();
}

std::vector<LineWrite> VirtualSerialLine::Writes() const {
    std::lock_guard guard(state->lock);
    return state->writes;
}

ModemLines VirtualSerialLine::Modem() const {
    std::lock_guard guard(state->lock);
    return state->modem;
}

int VirtualSerialLine::Opens() const {
    std::lock_guard guard(state->lock);
    return state->opens;
}

COMMTIMEOUTS VirtualSerialLine::ReadTimeouts() const {
    std::lock_guard guard(state->lock);
    return state->readTimeouts;
}

bool VirtualSerialLine::WaitedForever() const {
    std::lock_guard guard(state->lock);
    return state->waitedForever;
}

void VirtualSerialLine::SendAt(std::uint64_t atMs, std::vector<std::uint8_t> bytes) {
    std::lock_guard guard(state->lock);
    state->wire.Send(std::move(bytes), atMs * 1000, state->Baud());
}

std::uint64_t VirtualSerialLine::QuietAtMs() const {
    std::lock_guard guard(state->lock);
    return (state->wire.QuietUs() + 999) / 1000;
}

void VirtualSerialLine::Unplug() {
    if (registered) win32::UnregisterComDevice(comNumber);
    registered = false;
    std::lock_guard guard(state->lock);
    state->Unplug(win32::CurrentClock().NowMs(), VirtualLineState::Never);
    state->modem = {};
}

void VirtualSerialLine::UnplugAt(std::uint64_t atMs, std::uint64_t backAtMs) {
    std::lock_guard guard(state->lock);
    state->Unplug(atMs, backAtMs);
}

void VirtualSerialLine::UnplugOnClose(std::uint64_t awayMs) {
    std::lock_guard guard(state->lock);
    state->awayOnCloseMs = awayMs;
}

} // namespace sensor_emulator
