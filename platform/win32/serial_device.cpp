#include "platform/win32/serial_device.h"

namespace win32 {
namespace {

std::uint64_t Limit(std::uint64_t ms) {
    return ms > LongestWaitMs ? ReadPlan::NoLimit : ms;
}

} // namespace

COMMTIMEOUTS SerialDevice::Timeouts() {
    std::lock_guard guard(lock);
    return timeouts;
}

void SerialDevice::SetTimeouts(const COMMTIMEOUTS& value) {
    std::lock_guard guard(lock);
    timeouts = value;
}

ReadPlan PlanRead(const COMMTIMEOUTS& t, DWORD size) {
    ReadPlan plan;
    bool intervalMax = t.ReadIntervalTimeout == MAXDWORD;
    if (intervalMax && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0) {
        plan.atOnce = true;
    } else if (intervalMax && t.ReadTotalTimeoutMultiplier == MAXDWORD && t.ReadTotalTimeoutConstant != 0 &&
               t.ReadTotalTimeoutConstant != MAXDWORD) {
        plan.firstByte = true;
        plan.totalMs = t.ReadTotalTimeoutConstant;
    } else {
        std::uint64_t total = std::uint64_t{t.ReadTotalTimeoutMultiplier} * size + t.ReadTotalTimeoutConstant;
        if (t.ReadTotalTimeoutMultiplier || t.ReadTotalTimeoutConstant) plan.totalMs = Limit(total);
        plan.intervalMs = t.ReadIntervalTimeout;
    }
    return plan;
}

} // namespace win32
