#pragma once
// Runs a loader program's flow in-process against the boot-loader emulator on an in-process COM12,
// as the loaders' unit tests do, for the fuzz targets that drive a whole loader run. The program
// sees `loader COM12 <image file>`; its waits run on the virtual clock and its messages go nowhere.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_support.h"
#include "tests/support/virtual_clock.h"
#include "tools/sensor_emulator/lines/virtual_serial_line.h"
#include "tools/sensor_emulator/models/boot_loader_emulator.h"

namespace fuzz {

using LoaderFlow = int (*)(int argc, char** argv);

class LoaderLine {
  public:
    // The clock's value when a run starts.
    static constexpr std::uint64_t StartMs = 1000;
    // The port the runs name.
    static constexpr unsigned ComNumber = 12;

    // The one line of the process; creating it installs the clock, the keyboard and the silence.
    static LoaderLine& Shared();

    // The image file the runs name.
    void WriteImage(const std::vector<std::uint8_t>& text) { image.Replace(text.data(), text.size()); }
    const std::string& ImagePath() const { return image.Path(); }

    // A fresh device and line for each run; `prepare` schedules bytes on the line and keys.
    int Run(LoaderFlow flow, const sensor_emulator::BootLoaderScript& script,
            const std::function<void(sensor_emulator::VirtualSerialLine&)>& prepare = {});
    // Types `key` once the clock comes to `atMs`; for `prepare`.
    void TypeKeyAt(std::uint64_t atMs, char key);

    sensor_emulator::BootLoaderEmulator& Device() { return *device; }
    sensor_emulator::VirtualSerialLine& Line() { return *line; }

  private:
    LoaderLine();

    testing_support::VirtualClock clock{StartMs};
    MemoryFile image;
    std::unique_ptr<sensor_emulator::BootLoaderEmulator> device;
    std::unique_ptr<sensor_emulator::VirtualSerialLine> line;
};

} // namespace fuzz
