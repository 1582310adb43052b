#include "tools/sensor_emulator/lines/hidden_devices.h"

#include "platform/win32/port_names.h"

namespace sensor_emulator {
namespace {

constexpr const char* Nowhere = "/nonexistent/sondrix-hidden-devices";

int guards = 0;
win32::DeviceRoots& SavedRoots() {
    static win32::DeviceRoots roots;
    return roots;
}

} // namespace

HiddenRealDevices::HiddenRealDevices() {
    if (guards++ > 0) return;
    SavedRoots() = win32::RealDeviceRoots();
    win32::RealDeviceRoots() = {Nowhere, Nowhere};
}

HiddenRealDevices::~HiddenRealDevices() {
    if (--guards == 0) win32::RealDeviceRoots() = SavedRoots();
}

} // namespace sensor_emulator
