#include "tools/sensor_emulator/models/sensor_model.h"

#include "platform/win32/clock.h"

namespace sensor_emulator {

namespace {

RequestDecoder NewDecoder() {
    return RequestDecoder(
        [](int command) -> std::optional<int> { return Rs485RequestPayloadLength(command); });
}

} // namespace

int Rs485RequestPayloadLength(int command) {
    switch (command) {
    case 0x03: // bus address
    case 0x81: // add mode on or off
        return 1;
    case 0x30: // tube length
        return 2;
    case 0x3A: // serial number of the sensor to switch
    case 0x82: // serial number of the device to remove
        return 4;
    case 0x32: // body, tube, fuel, flags
        return 7;
    case 0x46: // password
        return 8;
    case 0x3F: // three values, flag word, eleven values
        return 30;
    case 0x44: // as 0x3F and four more values
        return 38;
    default:
        return 0;
    }
}

SensorModel::SensorModel(std::uint32_t baud) : baud(baud), decoder(NewDecoder()) {}

std::vector<TimedBytes> SensorModel::Received(const std::uint8_t* bytes, std::size_t count,
                                              std::uint32_t lineBaud) {
    std::lock_guard guard(lock);
    if (lineBaud != baud) {
        decoder = NewDecoder(); // noise: what came before it is no frame either
        return {};
    }
    RestartWhenIdle();
    if (loaderRunning) {
        auto runs = ToBootLoader(bytes, count);
        return silent ? std::vector<TimedBytes>{} : runs;
    }
    decoder.Feed(std::string(reinterpret_cast<const char*>(bytes), count));
    std::vector<TimedBytes> out;
    while (auto frame = decoder.Next()) {
        requests.push_back(*frame);
        if (!silent && !loaderRunning) Answer(*frame, out);
    }
    return out;
}

bool SensorModel::Announcing() const {
    std::lock_guard guard(lock);
    return !silent && loaderRunning && loaderAnnounces && loader->Announcing() &&
           GetTickCount() - handoverTick >= timing.handoverDelayMs;
}

void SensorModel::SetSilent(bool on) {
    std::lock_guard guard(lock);
    silent = on;
}

bool SensorModel::Silent() const {
    std::lock_guard guard(lock);
    return silent;
}

std::vector<SensorFrame> SensorModel::Requests() const {
    std::lock_guard guard(lock);
    return requests;
}

std::vector<SensorFrame> SensorModel::Writes() const {
    std::lock_guard guard(lock);
    return writes;
}

bool SensorModel::InBootLoader() const {
    std::lock_guard guard(lock);
    return loaderRunning;
}

const BootLoaderEmulator* SensorModel::BootLoader() const {
    std::lock_guard guard(lock);
    return loader.get();
}

void SensorModel::Reply(std::vector<TimedBytes>& out, const std::string& frame) const {
    out.push_back({timing.replyDelayMs, std::vector<std::uint8_t>(frame.begin(), frame.end())});
}

void SensorModel::RecordWrite(int command, std::vector<std::uint8_t> payload) {
    writes.push_back(
        {requests.empty() ? FrameFormat::Rs485 : requests.back().format, 0, command, std::move(payload)});
}

void SensorModel::HandOver(BootLoaderScript script, std::vector<TimedBytes>& out) {
    script.inLoader = true;
    script.echo = false; // the adapter echoes, not the device
    loader = std::make_unique<BootLoaderEmulator>(script);
    loaderRunning = true;
    blocksSeen = 0;
    handoverTick = GetTickCount();
    loaderAnnounces = true;
    if (announcementSpanMs != 0 && handoverTick - announcementTick <= announcementSpanMs) return;
    announcementTick = handoverTick;
    for (auto run : loader->Opened()) {
        run.delayMs += timing.handoverDelayMs;
        announcementSpanMs = run.delayMs;
        out.push_back(run);
    }
}

void SensorModel::PassToBootLoader(BootLoaderScript script, const std::string& request,
                                   std::vector<TimedBytes>& out) {
    script.inLoader = false;
    script.echo = false;
    auto standby = std::make_unique<BootLoaderEmulator>(script);
    auto runs = standby->Received(reinterpret_cast<const std::uint8_t*>(request.data()), request.size());
    out.insert(out.end(), runs.begin(), runs.end());
    if (!standby->InLoader()) return;
    loader = std::move(standby);
    loaderRunning = true;
    loaderAnnounces = false; // its switch was confirmed: the loader goes straight to the blocks
    blocksSeen = 0;
}

std::vector<TimedBytes> SensorModel::ToBootLoader(const std::uint8_t* bytes, std::size_t count) {
    auto runs = loader->Received(bytes, count);
    int blocks = loader->BlocksReceived();
    if (blocks != blocksSeen) {
        blocksSeen = blocks;
        lastBlockTick = GetTickCount();
    }
    return runs;
}

void SensorModel::RestartWhenIdle() {
    if (!loaderRunning || blocksSeen == 0 || GetTickCount() - lastBlockTick < timing.restartAfterMs) return;
    loaderRunning = false;
    decoder = NewDecoder();
}

} // namespace sensor_emulator
