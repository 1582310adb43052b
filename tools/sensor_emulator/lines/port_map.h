#pragma once
// A temporary port map folder named by SONDRIX_PORTS for the life of the guard: entries COM<n>
// link to device nodes such as a pty slave. The previous value of the variable comes back after.
// While it lives, the machine's own serial devices are hidden, so a test never opens them.

#include <optional>
#include <string>

#include "tools/sensor_emulator/lines/hidden_devices.h"

namespace sensor_emulator {

class PortMap {
  public:
    PortMap();
    ~PortMap();
    PortMap(const PortMap&) = delete;
    PortMap& operator=(const PortMap&) = delete;

    // Links COM<number> to the device; a description, when given, names the device in the
    // friendly name. Replaces an earlier entry of that number.
    void Map(unsigned number, const std::string& devicePath, const std::string& description = "");
    void Unmap(unsigned number);
    // The lowest number from 1 up with no entry yet.
    unsigned FreeNumber() const;
    const std::string& Folder() const { return folder; }

  private:
    std::string folder;
    std::optional<std::string> previous;
    HiddenRealDevices hidden;
};

} // namespace sensor_emulator
