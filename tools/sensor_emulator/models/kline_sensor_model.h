#pragma once
// A K-line fuel level sensor at 9600 baud, answering in text frames: " #" and a letter, its sensor
// number, ':' and decimal numbers. It identifies itself to " #f" with its number, model mark and
// release, and answers every other request only when it carries its sensor number. Its boot request
// " BOOT" hands over to a K-line boot loader; kflasher's own switch request reaches it too.

#include <optional>
#include <string>

#include "tools/sensor_emulator/models/sensor_model.h"
#include "tools/sensor_emulator/models/sensor_values.h"

namespace sensor_emulator {

struct KlineReadings {
    int mode = 1; // 'B' and 'E': 0..6, the sensor's state
    // 'D': filtered value, temperature, current value, normalised value.
    int filtered = 1230, temperature = 23, current = 1236, normalised = 1234;
    int analog = 2032;                       // 'B': ADC counts of 4096
    int millivolts = 2480, frequency = 7850; // 'E'
};

struct KlineSensorScript {
    int number = 4711;
    std::string name = "ZNT-A";
    // What follows '>' in the identify reply: " " for the model with an analog or K-line output
    // choice, ":2" for the one with the NFC password panel, any other text for the others.
    std::string mark = " ";
    std::string release = "A3.07";
    KlineReadings readings;
    SensorSettings settings;
    SensorPassword password{'1', '2', '3', '4', '5', '6', 0, 0};
    SensorCounters counters;
    int address = 1;
};

class KlineSensorModel : public SensorModel {
  public:
    explicit KlineSensorModel(KlineSensorScript script = {});
    void SetReadings(const KlineReadings& readings);

  private:
    void Answer(const SensorFrame& request, std::vector<TimedBytes>& out) override;
    std::string IdentifyText() const;
    std::optional<std::vector<long>> Values(char letter, const std::string& rest);
    std::vector<long> Settings(char letter) const;
    std::uint8_t Write(char letter, const std::string& rest);
    bool Store(char letter, const std::vector<long>& numbers);
    BootLoaderScript BootScript() const;

    KlineSensorScript script;
};

} // namespace sensor_emulator
