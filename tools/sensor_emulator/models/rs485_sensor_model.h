#pragma once
// An RS-485 fuel level sensor at 19200 baud as the configurator and rflasher meet it: it answers
// at its own bus address (the identify probe also at address 0), reads out its values, settings,
// password and counters, stores what the writes carry, answers commands with a status byte, and
// hands over to its boot loader on the boot request.

#include <optional>
#include <string>

#include "tools/sensor_emulator/models/sensor_model.h"
#include "tools/sensor_emulator/models/sensor_values.h"

namespace sensor_emulator {

struct Rs485Readings {
    std::int8_t temperature = 23;
    std::uint16_t level = 1234;     // a level code 0xFFF0..0xFFF5 tells a state instead
    std::uint16_t frequency = 7850; // Hz
    std::uint16_t filtered = 1230;  // 0x34
    std::uint16_t current = 1236;   // 0x35
    std::uint16_t analogMv = 2480;  // 0x35
};

struct Rs485SensorScript {
    std::uint32_t serial = 0x00BC614E;
    std::uint8_t address = 7;
    // The 0x05 kind: 0 plain, 1 with outputs and extended settings, 2 also with the NFC password.
    std::uint8_t kind = 0;
    std::string release = "ZNT-D 2.14";  // 0x1A, sent as 16 bytes
    std::string releaseSuffix = "b0512"; // 0x1B
    Rs485Readings readings;
    SensorSettings settings;
    SensorPassword password{'1', '2', '3', '4', '5', '6', 0, 0};
    SensorCounters counters;
};

class Rs485SensorModel : public SensorModel {
  public:
    explicit Rs485SensorModel(Rs485SensorScript script = {});
    void SetReadings(const Rs485Readings& readings);

  private:
    void Answer(const SensorFrame& request, std::vector<TimedBytes>& out) override;
    std::optional<std::vector<std::uint8_t>> Read(int command) const;
    std::optional<std::uint8_t> Command(const SensorFrame& request);
    std::vector<std::uint8_t> Settings(int command) const;
    bool Store(const SensorFrame& request);

    Rs485SensorScript script;
};

} // namespace sensor_emulator
