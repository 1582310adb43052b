#pragma once
// What a sensor model keeps in its memory and shows on request, shared by the RS-485 and K-line
// models: the settings the program reads and writes, the NFC password and the counters.

#include <array>
#include <cstdint>

namespace sensor_emulator {

struct SensorSettings {
    std::uint16_t body = 520, tube = 700, fuel = 640;
    // The short settings' flags (RS-485 0x31 byte, K-line 'K' fourth number).
    std::uint8_t flags = 0;
    // The extended settings' flag word and their eleven values, then the four of the full set.
    std::uint16_t flagWord = 0;
    std::array<std::uint16_t, 11> extended{100, 900, 500, 4500, 10, 3, 8, 40, 15, 200, 1000};
    std::array<std::uint16_t, 4> more{11, 700, 3, 4};
};

struct SensorCounters {
    std::uint32_t workingMinutes = 125430;
    std::uint32_t powerUps = 318;
    std::uint16_t watchdogResets = 2;
    std::uint16_t eepromRestores = 1;
    std::uint16_t powerOverloads = 0;
};

using SensorPassword = std::array<std::uint8_t, 8>;

} // namespace sensor_emulator
