#pragma once
// In-process serial devices under COM numbers. A registered COMn comes before the port map and the
// fixed rule: ListComPorts (and so the SetupDi enumeration) shows it as "<description> (COMn)",
// and CreateFileW on "\\.\COMn" opens it. Tests put virtual lines here.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/port_names.h"
#include "platform/win32/serial_device.h"

namespace win32 {

// Makes the object behind a new handle to the port; null (with the last error set) refuses the open.
// It runs under the registry's lock, so it must not register or unregister devices itself.
using SerialDeviceFactory = std::function<std::shared_ptr<SerialDevice>()>;

// Puts a device under COMn. Opens are exclusive as on a tty: while the object of an open handle
// lives, another open fails with ERROR_ACCESS_DENIED. FALSE with ERROR_INVALID_PARAMETER for a
// number outside 1..LastComNumber or no factory, ERROR_ALREADY_EXISTS when the number is taken.
BOOL RegisterComDevice(unsigned number, const std::string& description, SerialDeviceFactory factory);
// Takes the device off its number (it leaves the enumeration; a handle still open stays as it
// is). FALSE with ERROR_FILE_NOT_FOUND when nothing is registered there.
BOOL UnregisterComDevice(unsigned number);

// The registered ports in order of their numbers, with their descriptions as given and no path.
std::vector<ComPortDevice> RegisteredComPorts();
// OpenComDevice's first step: nullopt when nothing is registered under the number, else the new
// handle or INVALID_HANDLE_VALUE with the last error set.
std::optional<HANDLE> OpenRegisteredComDevice(unsigned number);

} // namespace win32
