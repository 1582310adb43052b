#include "platform/win32/com_devices.h"

#include <map>
#include <mutex>

#include "platform/win32/last_error.h"

namespace win32 {
namespace {

struct Registration {
    std::string description;
    SerialDeviceFactory factory;
    std::weak_ptr<SerialDevice> open; // the object of the handle now open, if any
};

struct Registry {
    std::mutex lock;
    std::map<unsigned, Registration> devices;
};

Registry& Devices() {
    static Registry registry;
    return registry;
}

} // namespace

BOOL RegisterComDevice(unsigned number, const std::string& description, SerialDeviceFactory factory) {
    if (number < 1 || number > LastComNumber || !factory) return FailWith(ERROR_INVALID_PARAMETER);
    Registry& registry = Devices();
    std::lock_guard guard(registry.lock);
    if (!registry.devices.emplace(number, Registration{description, std::move(factory), {}}).second)
        return FailWith(ERROR_ALREADY_EXISTS);
    return TRUE;
}

BOOL UnregisterComDevice(unsigned number) {
    Registry& registry = Devices();
    std::lock_guard guard(registry.lock);
    return registry.devices.erase(number) ? TRUE : FailWith(ERROR_FILE_NOT_FOUND);
}

std::vector<ComPortDevice> RegisteredComPorts() {
    Registry& registry = Devices();
    std::lock_guard guard(registry.lock);
    std::vector<ComPortDevice> ports;
    for (const auto& [number, registration] : registry.devices)
        ports.push_back({number, "", registration.description});
    return ports;
}

std::optional<HANDLE> OpenRegisteredComDevice(unsigned number) {
    Registry& registry = Devices();
    std::lock_guard guard(registry.lock);
    auto found = registry.devices.find(number);
    if (found == registry.devices.end()) return std::nullopt;
    if (!found->second.open.expired()) {
        FailWith(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    std::shared_ptr<SerialDevice> device = found->second.factory();
    if (!device) return INVALID_HANDLE_VALUE;
    found->second.open = device;
    SetLastError(ERROR_SUCCESS);
    return RegisterHandle(device);
}

} // namespace win32
