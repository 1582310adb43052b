#include "platform/win32/setupapi.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/last_error.h"
#include "platform/win32/port_names.h"
#include "platform/win32/utf.h"

namespace win32 {
namespace {

struct PortRecord {
    std::u16string description;
    std::u16string friendlyName;
};

// Lives behind an HDEVINFO in the handle table, so a stale set is refused rather than read.
class DeviceInfoSet : public KernelObject {
  public:
    GUID classGuid{};
    std::vector<PortRecord> ports;
};

std::u16string Wide(const std::string& text) {
    std::string lenient = text;
    if (auto wide = Utf8ToUtf16(lenient)) return *wide;
    for (char& c : lenient)
        if (static_cast<unsigned char>(c) >= 0x80) c = '?'; // not UTF-8: keep what is plain ASCII
    return std::u16string(lenient.begin(), lenient.end());
}

std::vector<PortRecord> SnapshotPorts() {
    std::vector<PortRecord> records;
    for (const ComPortDevice& port : ListComPorts()) {
        std::u16string description = Wide(port.description);
        std::u16string name = description + u" (COM" + Wide(std::to_string(port.number)) + u")";
        records.push_back({description, name});
    }
    return records;
}

const PortRecord* Record(const DeviceInfoSet& set, const SP_DEVINFO_DATA* device) {
    if (!device || device->cbSize != sizeof(SP_DEVINFO_DATA)) {
        FailWith(ERROR_INVALID_USER_BUFFER);
        return nullptr;
    }
    if (device->DevInst == 0 || device->DevInst > set.ports.size()) {
        FailWith(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return &set.ports[device->DevInst - 1];
}

} // namespace
} // namespace win32

HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND, DWORD flags) {
    if (!classGuid || enumerator || flags != DIGCF_PRESENT) {
        win32::FailWith(enumerator || flags != DIGCF_PRESENT ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto set = std::make_shared<win32::DeviceInfoSet>();
    set->classGuid = *classGuid;
    if (std::memcmp(classGuid, &GUID_DEVCLASS_PORTS, sizeof(GUID)) == 0) set->ports = win32::SnapshotPorts();
    SetLastError(ERROR_SUCCESS);
    return win32::RegisterHandle(set);
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO handle, DWORD index, SP_DEVINFO_DATA* device) {
    auto set = win32::LookupHandleAs<win32::DeviceInfoSet>(handle);
    if (!set) return FALSE;
    if (!device || device->cbSize != sizeof(SP_DEVINFO_DATA))
        return win32::FailWith(ERROR_INVALID_USER_BUFFER);
    if (index >= set->ports.size()) return win32::FailWith(ERROR_NO_MORE_ITEMS);
    device->ClassGuid = set->classGuid;
    device->DevInst = index + 1;
    return TRUE;
}

BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO handle, SP_DEVINFO_DATA* device, DWORD property, LPDWORD type,
                                       BYTE* buffer, DWORD size, LPDWORD required) {
    auto set = win32::LookupHandleAs<win32::DeviceInfoSet>(handle);
    if (!set) return FALSE;
    const win32::PortRecord* record = win32::Record(*set, device);
    if (!record) return FALSE;
    const std::u16string* text = property == SPDRP_FRIENDLYNAME ? &record->friendlyName
                                 : property == SPDRP_DEVICEDESC ? &record->description
                                                                : nullptr;
    if (!text) return win32::FailWith(ERROR_INVALID_DATA);
    DWORD bytes = static_cast<DWORD>((text->size() + 1) * sizeof(char16_t));
    if (type) *type = REG_SZ;
    if (required) *required = bytes;
    if (!buffer || size < bytes) return win32::FailWith(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(buffer, text->c_str(), bytes);
    return TRUE;
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
    if (!win32::LookupHandleAs<win32::DeviceInfoSet>(handle)) return FALSE;
    return CloseHandle(handle);
}
