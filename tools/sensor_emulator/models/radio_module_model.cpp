#include "tools/sensor_emulator/models/radio_module_model.h"

#include <algorithm>

#include "platform/win32/clock.h"
#include "tools/sensor_emulator/models/sensor_payload.h"

namespace sensor_emulator {

namespace {

constexpr int ListRequest = 0x80;
constexpr int AddModeSwitch = 0x81;
constexpr int RemoveDevice = 0x82;
constexpr std::uint8_t AddModeOn = 5;

} // namespace

RadioModuleModel::RadioModuleModel(RadioModuleScript script)
    : SensorModel(19200), script(std::move(script)) {}

std::vector<RadioDeviceScript> RadioModuleModel::Devices() const {
    std::lock_guard guard(lock);
    return script.devices;
}

bool RadioModuleModel::AddMode() const {
    std::lock_guard guard(lock);
    return addMode;
}

void RadioModuleModel::Answer(const SensorFrame& request, std::vector<TimedBytes>& out) {
    if (request.format != FrameFormat::Rs485) return;
    JoinWhenDue();
    if (request.address == script.address || (request.address == 0 && request.command == ListRequest)) {
        if (auto data = ModuleAnswer(request))
            Reply(out, EncodeRs485Reply(script.address, request.command, *data));
        return;
    }
    auto device = std::find_if(script.devices.begin(), script.devices.end(),
                               [&](const auto& device) { return device.address == request.address; });
    if (device == script.devices.end()) return;
    if (auto data = DeviceAnswer(*device, request.command))
        Reply(out, EncodeRs485Reply(device->address, request.command, *data));
}

std::optional<std::vector<std::uint8_t>> RadioModuleModel::ModuleAnswer(const SensorFrame& request) {
    PayloadReader payload(request.payload);
    switch (request.command) {
    case ListRequest:
        return List();
    case 0x1A:
        return ReleasePayload(script.release);
    case 0x1B:
        return ReleaseSuffixPayload(script.releaseSuffix);
    case AddModeSwitch:
        RecordWrite(request.command, request.payload);
        addMode = payload.U8() == AddModeOn;
        addModeTick = GetTickCount();
        return std::vector<std::uint8_t>{0};
    case RemoveDevice:
        RecordWrite(request.command, request.payload);
        return std::vector<std::uint8_t>{Remove(payload.U32())};
    default:
        return std::nullopt;
    }
}

std::optional<std::vector<std::uint8_t>> RadioModuleModel::DeviceAnswer(const RadioDeviceScript& device,
                                                                        int command) const {
    const RadioValues& values = device.values;
    switch (command) {
    case 0x1A:
        return ReleasePayload(device.release);
    case 0x1B:
        return ReleaseSuffixPayload(device.releaseSuffix);
    case 0x05:
        return KindPayload(device.kind);
    case 0x86:
        return PayloadWriter()
            .U16(values.age)
            .U16(values.unitWord)
            .U16(values.reading1)
            .U16(values.reading2)
            .U8(static_cast<std::uint8_t>(values.temperature))
            .U8(static_cast<std::uint8_t>(values.battery))
            .U8(static_cast<std::uint8_t>(values.signal))
            .U16(values.reading3)
            .U16(values.analog)
            .Bytes();
    default:
        return std::nullopt;
    }
}

// Module serial and address, the count, then each device's serial and address.
std::vector<std::uint8_t> RadioModuleModel::List() const {
    PayloadWriter payload;
    payload.U32(script.serial).U8(script.address).U8(static_cast<std::uint8_t>(script.devices.size()));
    for (const auto& device : script.devices)
        payload.U32(device.serial).U8(device.address);
    return payload.Bytes();
}

// Status 0 when the device was there, 1 when the module knows no such serial number.
std::uint8_t RadioModuleModel::Remove(std::uint32_t serial) {
    auto gone = std::remove_if(script.devices.begin(), script.devices.end(),
                               [&](const auto& device) { return device.serial == serial; });
    bool found = gone != script.devices.end();
    script.devices.erase(gone, script.devices.end());
    return found ? 0 : 1;
}

void RadioModuleModel::JoinWhenDue() {
    if (!addMode || !script.newDevice || GetTickCount() - addModeTick < script.joinAfterMs) return;
    script.devices.push_back(*script.newDevice);
    script.newDevice.reset();
}

} // namespace sensor_emulator
