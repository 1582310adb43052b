#include "tools/sensor_emulator/lines/boot_loader_line.h"

namespace sensor_emulator {

// The device echoes by itself (its script says whether), so the wire does not.
BootLoaderLine::BootLoaderLine(PortMap& map, BootLoaderScript script, bool pace)
    : device(script), line(map, device, EmulatorLine::Options{.echo = false, .pace = pace}) {}

bool BootLoaderLine::WaitForRequests(std::size_t count, int timeoutMs) const {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (device.Requests().size() < count) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace sensor_emulator
