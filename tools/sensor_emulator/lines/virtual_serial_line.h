#pragma once
// An in-process serial line on the virtual clock: a device model (LineDevice) put under COMn, so
// that the program's own serial calls (CreateFileW, SetCommState, ClearCommError, ReadFile, ...)
// reach it and the port scan finds it as "<description> (COMn)". Bytes take their wire time at the
// baud the program set; the device hears each write once it has gone and answers after its delay.
// While a line lives the machine's own serial devices are hidden, so no test opens them.
//
//     testing_support::VirtualClock clock; // the tests' clock
//     sensor_emulator::VirtualSerialLine line(7, sensor, {.echo = true});
//     ... open "COM7" or scan the ports, write a request ...
//     vcl::headless::RunFor(50); // timers fire and the answer arrives, on the clock
//     EXPECT_EQ(line.Writes().at(0).baud, 19200u);

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/sensor_emulator/lines/hidden_devices.h"
#include "tools/sensor_emulator/lines/virtual_com_port.h"
#include "tools/sensor_emulator/models/line_device.h"

namespace sensor_emulator {

class VirtualSerialLine {
  public:
    struct Options {
        std::string description = "Virtual serial line"; // the friendly name's text before "(COMn)"
        bool echo = false;         // an adapter that returns every written byte as it leaves
        bool pace = true;          // bytes take their wire time; without, a line faster than its rate
        std::uint32_t baud = 9600; // the line's rate before a program sets one
    };

    // Needs a virtual clock installed; throws when there is none, when the number is taken or the
    // baud is no rate a line takes.
    VirtualSerialLine(unsigned comNumber, LineDevice& device, Options options);
    VirtualSerialLine(unsigned comNumber, LineDevice& device)
        : VirtualSerialLine(comNumber, device, Options{}) {}
    ~VirtualSerialLine();
    VirtualSerialLine(const VirtualSerialLine&) = delete;
    VirtualSerialLine& operator=(const VirtualSerialLine&) = delete;

    unsigned ComNumber() const { return comNumber; }
    std::string ComName() const { return "COM" + std::to_string(comNumber); }

    // The rate the line runs at now (as last set through SetCommState).
    std::uint32_t Baud() const;
    // Every WriteFile of the program, in order.
    std::vector<LineWrite> Writes() const;
    ModemLines Modem() const;
    // How often a port was opened on the line.
    int Opens() const;
    // The time-outs the last ReadFile ran under.
    COMMTIMEOUTS ReadTimeouts() const;
    // A read asked for bytes that could never come, with no time-out to end it. It returned with
    // what there was instead of hanging; a test that did not expect it has found a fault.
    bool WaitedForever() const;

    // Bytes from the device's side at atMs, at the rate the line runs at now, besides what it answers:
    // another talker, or noise.
    void SendAt(std::uint64_t atMs, std::vector<std::uint8_t> bytes);
    // The tick by which everything sent or due so far towards the program has arrived.
    std::uint64_t QuietAtMs() const;

    // Pulls the plug: the open port hangs up (its calls fail with ERROR_DEVICE_NOT_CONNECTED), the
    // bytes on their way are lost and the port leaves the enumeration.
    void Unplug();
    // Pulls the plug at atMs, a read that waits then ending there, and puts it back at backAtMs:
    // meanwhile opens fail with ERROR_FILE_NOT_FOUND (the port stays listed) and what the device
    // sends is lost. A later call replaces it.
    void UnplugAt(std::uint64_t atMs, std::uint64_t backAtMs = VirtualLineState::Never);
    // The adapter re-enumerates as the open port next closes, away for awayMs from then.
    void UnplugOnClose(std::uint64_t awayMs);

  private:
    unsigned comNumber;
    std::shared_ptr<VirtualLineState> state;
    bool registered = false;
    HiddenRealDevices hidden;
};

} // namespace sensor_emulator
