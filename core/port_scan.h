#pragma once
// Finding the machine's COM ports by their friendly names and keeping a table of open candidate
// ports in step with what is plugged in.

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/com_port_base.h"
#include "core/tstring.h"

struct PortNameHash {
    std::size_t operator()(const TString& name) const { return std::hash<std::u16string>{}(name); }
};

// Port name (COM3) -> the port, owned through the table: whoever erases an entry deletes the port.
using PortTable = std::unordered_map<TString, ComPortBase*, PortNameHash>;

// Makes the port object that takes over an opened handle.
using PortFactory =
    std::function<ComPortBase*(HANDLE handle, const TString& portName, const TString& friendlyName)>;

// "\\.\" + name, read and write, not shared; INVALID_HANDLE_VALUE when it does not open.
HANDLE OpenComPort(const TString& name);
// Opens and adds the port named between the friendly name's first parentheses, or marks the
// table's port of that name present unless its device has gone.
void AddPort(PortTable& table, const PortFactory& factory, const TString& friendlyName);
// Friendly names of the present COM ports in enumeration order, without parallel ("LPT") and
// Bluetooth ports.
std::vector<TString> EnumComPorts();
// selection: "none" (close every port), empty (every enumerated port) or one friendly name.
// Ports not seen are erased and deleted.
void ScanForPorts(PortTable& table, const PortFactory& factory, const TString& selection);
