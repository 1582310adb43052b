#include "tools/sensor_emulator/models/rs485_sensor_model.h"

#include "tools/sensor_emulator/models/sensor_payload.h"

namespace sensor_emulator {

namespace {

constexpr int Identify = 0x33;
constexpr int BootRequest = 0x3A;
constexpr int TubeCalibration = 0x30;

} // namespace

Rs485SensorModel::Rs485SensorModel(Rs485SensorScript script)
    : SensorModel(19200), script(std::move(script)) {}

void Rs485SensorModel::SetReadings(const Rs485Readings& readings) {
    std::lock_guard guard(lock);
    script.readings = readings;
}

void Rs485SensorModel::Answer(const SensorFrame& request, std::vector<TimedBytes>& out) {
    if (request.format != FrameFormat::Rs485) return;
    bool probe = request.address == 0 && request.command == Identify;
    if (request.address != script.address && !probe) return;
    // The reply comes from the address the request reached, also when the request changes it.
    int from = script.address;
    if (auto data = Read(request.command)) return Reply(out, EncodeRs485Reply(from, request.command, *data));
    auto status = Command(request);
    if (!status) return;
    Reply(out, EncodeRs485Reply(from, request.command, {*status}));
    if (request.command == BootRequest && *status == 0)
        HandOver({.model = LineModel::Rs485, .serial = script.serial, .address = script.address}, out);
}

std::optional<std::vector<std::uint8_t>> Rs485SensorModel::Read(int command) const {
    const Rs485Readings& now = script.readings;
    const SensorCounters& counters = script.counters;
    switch (command) {
    case Identify:
        return PayloadWriter().U32(script.serial).U8(script.address).Bytes();
    case 0x04:
        return PayloadWriter().U8(script.address).Bytes();
    case 0x05:
        return KindPayload(script.kind);
    case 0x06:
        return PayloadWriter()
            .U8(static_cast<std::uint8_t>(now.temperature))
            .U16(now.level)
            .U16(now.frequency)
            .Bytes();
    case 0x1A:
        return ReleasePayload(script.release);
    case 0x1B:
        return ReleaseSuffixPayload(script.releaseSuffix);
    case 0x31:
    case 0x3E:
    case 0x43:
        return Settings(command);
    case 0x34:
        return PayloadWriter().U16(now.filtered).Bytes();
    case 0x35:
        return PayloadWriter().Text("", 3).U16(now.current).Text("", 2).U16(now.analogMv).Bytes();
    case 0x45:
        return std::vector<std::uint8_t>(script.password.begin(), script.password.end());
    case 0x47:
        return PayloadWriter()
            .U32(counters.workingMinutes)
            .U32(counters.powerUps)
            .U16(counters.watchdogResets)
            .U16(counters.eepromRestores)
            .U16(counters.powerOverloads)
            .Bytes();
    default:
        return std::nullopt;
    }
}

// The short settings (0x31), the extended ones (0x3E) and the full set (0x43).
std::vector<std::uint8_t> Rs485SensorModel::Settings(int command) const {
    const SensorSettings& settings = script.settings;
    PayloadWriter payload;
    payload.U16(settings.body).U16(settings.tube).U16(settings.fuel);
    if (command == 0x31) return payload.U8(settings.flags).Bytes();
    payload.U16(settings.flagWord);
    for (std::uint16_t value : settings.extended)
        payload.U16(value);
    for (std::size_t i = 0; command == 0x43 && i < settings.more.size(); ++i)
        payload.U16(settings.more[i]);
    return payload.Bytes();
}

// Commands and writes answer with a status byte; a successful write is stored.
std::optional<std::uint8_t> Rs485SensorModel::Command(const SensorFrame& request) {
    switch (request.command) {
    case 0x03:
    case 0x08:
    case 0x09:
    case TubeCalibration:
    case 0x32:
    case 0x36:
    case BootRequest:
    case 0x3F:
    case 0x44:
    case 0x46:
        break;
    default:
        return std::nullopt;
    }
    if (!request.payload.empty()) RecordWrite(request.command, request.payload);
    return Store(request) ? 0 : 1;
}

// False refuses the request: a boot request for another serial number.
bool Rs485SensorModel::Store(const SensorFrame& request) {
    PayloadReader payload(request.payload);
    SensorSettings& settings = script.settings;
    switch (request.command) {
    case 0x03:
        script.address = payload.U8();
        break;
    case 0x32:
        settings.body = payload.U16();
        settings.tube = payload.U16();
        settings.fuel = payload.U16();
        settings.flags = payload.U8();
        break;
    case 0x3F:
    case 0x44:
        settings.body = payload.U16();
        settings.tube = payload.U16();
        settings.fuel = payload.U16();
        settings.flagWord = payload.U16();
        for (auto& value : settings.extended)
            value = payload.U16();
        for (std::size_t i = 0; request.command == 0x44 && i < settings.more.size(); ++i)
            settings.more[i] = payload.U16();
        break;
    case 0x46:
        for (auto& byte : script.password)
            byte = payload.U8();
        break;
    case BootRequest:
        return payload.U32() == script.serial;
    }
    return true;
}

} // namespace sensor_emulator
