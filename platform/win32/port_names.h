#pragma once
// Which device node a port name COMn stands for, and which ports are present.
//
// First the in-process devices registered for tests (com_devices.h). Then the port map: the folder
// named by the environment variable SONDRIX_PORTS, whose entries COM<n> are links to device nodes
// (an optional text file COM<n>.description beside a link gives the device's description). Then
// the fixed rule for real devices, each family its own range:
//   ttyS0..ttyS15    -> COM1..COM16   (only a UART that answers: sysfs type not 0)
//   ttyUSB0..ttyUSB31 -> COM17..COM48
//   ttyACM0..ttyACM31 -> COM49..COM80
// A port map entry takes its number from the fixed rule.

#include <string>
#include <vector>

#include "platform/win32/types.h"

namespace win32 {

constexpr unsigned LastComNumber = 99;

struct ComPortDevice {
    unsigned number = 0;     // n of COMn
    std::string path;        // device node (or the port map's link to it); empty for an in-process one
    std::string description; // USB product, driver name or a generic name; holds no parentheses
};

// True for "\\.\COMn" (any case of "com", n from 1 to 99); *number receives n.
bool ParseComDeviceName(const char16_t* name, unsigned* number);

// Where the fixed rule looks for real devices. Tests move both roots to an empty folder, so that
// they never open (and reconfigure) the machine's own serial ports, a console among them.
struct DeviceRoots {
    std::string sysClassTty = "/sys/class/tty";
    std::string dev = "/dev";
};
DeviceRoots& RealDeviceRoots();

// The device path for COMn by the port map and the fixed rule, empty when neither names one.
std::string ResolveComPort(unsigned number);
// The ports present now, in order of their numbers.
std::vector<ComPortDevice> ListComPorts();

// The pieces of both, with their roots as arguments so that a made-up tree can stand in.
std::vector<ComPortDevice> ListMappedPorts(const std::string& folder);
std::vector<ComPortDevice> ListTtyPorts(const std::string& sysClassTty, const std::string& devRoot);
std::string TtyPortPath(unsigned number, const std::string& sysClassTty, const std::string& devRoot);

// CreateFileW's work for "\\.\COMn": opens the registered device or the one the name resolves to,
// exclusively.
HANDLE OpenComDevice(unsigned number);

} // namespace win32
