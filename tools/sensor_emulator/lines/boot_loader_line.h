#pragma once
// The boot-loader emulator on a pty mapped as a COM port, for whole-program runs of the loaders:
// it answers at the baud of its model only, sends delayed answers on time from its own thread,
// and paces bytes at the line's baud when asked.

#include "tools/sensor_emulator/lines/device_line.h"
#include "tools/sensor_emulator/models/boot_loader_emulator.h"

namespace sensor_emulator {

class BootLoaderLine {
  public:
    BootLoaderLine(PortMap& map, BootLoaderScript script, bool pace = false);
    BootLoaderLine(const BootLoaderLine&) = delete;
    BootLoaderLine& operator=(const BootLoaderLine&) = delete;

    std::string ComName() const { return line.ComName(); }
    BootLoaderEmulator& Device() { return device; }
    // Waits until the device has heard `count` requests.
    bool WaitForRequests(std::size_t count, int timeoutMs) const;
    // Pulls the adapter: the loader's open port hangs up and nothing more is sent.
    void Unplug() { line.Line().Unplug(); }

  private:
    BootLoaderEmulator device;
    DeviceLine line;
};

} // namespace sensor_emulator
