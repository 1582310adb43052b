#pragma once
// While any guard lives, the machine's own serial devices are hidden from the port names and the
// enumeration, so that an emulated line or port map never lets a program open a real adapter.
// Guards may end in any order: the real devices come back when the last one ends.

namespace sensor_emulator {

class HiddenRealDevices {
  public:
    HiddenRealDevices();
    ~HiddenRealDevices();
    HiddenRealDevices(const HiddenRealDevices&) = delete;
    HiddenRealDevices& operator=(const HiddenRealDevices&) = delete;
};

} // namespace sensor_emulator
