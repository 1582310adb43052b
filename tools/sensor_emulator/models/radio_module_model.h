#pragma once
// A radio module at 19200 baud with the sensors it relays: it lists its devices (0x80, also at
// address 0 as the probe), switches its add mode (0x81: 5 on, 0 off), removes a device by serial
// number (0x82) and tells its release (0x1A, 0x1B). Requests to a device's bus address reach that
// device: its release, its kind (0x05) and its values (0x86). While the add mode is on, a scripted
// device joins after a while and is listed from then on.

#include <optional>
#include <string>
#include <vector>

#include "tools/sensor_emulator/models/sensor_model.h"

namespace sensor_emulator {

struct RadioValues {
    std::uint16_t age = 12;
    std::uint16_t unitWord = 0; // bit 15: the age counts minutes
    std::uint16_t reading1 = 1500, reading2 = 1490;
    std::int8_t temperature = 19;
    std::int8_t battery = 96; // x 3.75 / 128 V
    std::int8_t signal = -100;
    std::uint16_t reading3 = 1510;
    std::uint16_t analog = 2048; // of 4096 for 5 V
};

struct RadioDeviceScript {
    std::uint32_t serial = 0;
    std::uint8_t address = 0;
    std::uint8_t kind = 1;
    std::string release = "ZNT-R 1.20";
    std::string releaseSuffix = "r3";
    RadioValues values;
};

struct RadioModuleScript {
    std::uint32_t serial = 900017;
    std::uint8_t address = 0x30;
    std::string release = "RM-4 3.01";
    std::string releaseSuffix = "b77";
    std::vector<RadioDeviceScript> devices{{.serial = 100234, .address = 0x31},
                                           {.serial = 100235, .address = 0x32, .kind = 0}};
    // Joins this long after the add mode went on (a serial above 2^31 on purpose).
    std::optional<RadioDeviceScript> newDevice = RadioDeviceScript{.serial = 3000000001u, .address = 0x33};
    std::uint32_t joinAfterMs = 4000;
};

class RadioModuleModel : public SensorModel {
  public:
    explicit RadioModuleModel(RadioModuleScript script = {});
    std::vector<RadioDeviceScript> Devices() const;
    bool AddMode() const;

  private:
    void Answer(const SensorFrame& request, std::vector<TimedBytes>& out) override;
    std::optional<std::vector<std::uint8_t>> ModuleAnswer(const SensorFrame& request);
    std::optional<std::vector<std::uint8_t>> DeviceAnswer(const RadioDeviceScript& device, int command) const;
    std::vector<std::uint8_t> List() const;
    std::uint8_t Remove(std::uint32_t serial);
    void JoinWhenDue();

    RadioModuleScript script;
    bool addMode = false;
    std::uint32_t addModeTick = 0;
};

} // namespace sensor_emulator
