#include "core/port_scan.h"

#include <cwctype>

#include "core/guid.h"
#include "platform/win32/files.h"
#include "platform/win32/setupapi.h"

namespace {

constexpr const char* PortsClass = "{4d36e978-e325-11ce-bfc1-08002be10318}";
constexpr DWORD FriendlyNameBytes = 1000;

// Lower case by the C library's wide rule, unit by unit.
TString LowerCase(TString text) {
    for (WCHAR& unit : text)
        unit = static_cast<WCHAR>(std::towlower(static_cast<wint_t>(unit)));
    return text;
}

bool KeepPortName(const TString& name) {
    return name.find(u"LPT") == TString::npos && LowerCase(name).find(u"bluetooth") == TString::npos;
}

} // namespace

HANDLE OpenComPort(const TString& name) {
    TString path = TString(u"\\\\.\\") + name;
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

void AddPort(PortTable& table, const PortFactory& factory, const TString& friendlyName) {
    TString key = friendlyName.Between(u'(', u')');
    auto found = table.find(key);
    if (found != table.end()) {
        // A dead handle stays unmarked and is closed, so the next scan opens the adapter plugged
        // in again under this name.
        found->second->present = !found->second->DeviceGone();
        return;
    }
    HANDLE handle = OpenComPort(key);
    if (handle == INVALID_HANDLE_VALUE) return;
    ComPortBase* port = factory(handle, key, friendlyName);
    if (port)
        table.emplace(key, port);
    else
        CloseHandle(handle); // a factory that made nothing must not leak the open port
}

std::vector<TString> EnumComPorts() {
    std::vector<TString> names;
    GUID portsClass{};
    StringToGuid(&portsClass, TString(PortsClass));
    HDEVINFO set = SetupDiGetClassDevsW(&portsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return names;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        WCHAR buffer[FriendlyNameBytes / sizeof(WCHAR)] = {};
        // A device whose name cannot be read is skipped rather than named by a stale buffer.
        if (!SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_FRIENDLYNAME, nullptr,
                                               reinterpret_cast<BYTE*>(buffer), FriendlyNameBytes, nullptr))
            continue;
        buffer[FriendlyNameBytes / sizeof(WCHAR) - 1] = 0;
        TString name(buffer);
        if (KeepPortName(name)) names.push_back(name);
    }
    SetupDiDestroyDeviceInfoList(set);
    return names;
}

void ScanForPorts(PortTable& table, const PortFactory& factory, const TString& selection) {
    // Holds the log file open for the scan, so closing the last port does not end and restart it.
    SimpleLog scanLog;
    for (auto& entry : table)
        entry.second->present = false;
    if (selection == TString(u"none")) {
        // add nothing: every candidate closes below
    } else if (selection.empty()) {
        for (const TString& name : EnumComPorts())
            AddPort(table, factory, name);
    } else {
        AddPort(table, factory, selection);
    }
    for (auto entry = table.begin(); entry != table.end();) {
        if (entry->second->present) {
            ++entry;
            continue;
        }
        ComPortBase* port = entry->second;
        entry = table.erase(entry);
        delete port;
    }
}
