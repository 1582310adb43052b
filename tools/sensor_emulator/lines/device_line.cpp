#include "tools/sensor_emulator/lines/device_line.h"

namespace sensor_emulator {

DeviceLine::DeviceLine(PortMap& map, LineDevice& device, EmulatorLine::Options options, SentNotice sent)
    : device(device), sent(std::move(sent)), line(map, options) {
    sender = std::thread([this] { SendDue(); });
    Schedule(device.Opened());
    line.Start([this](EmulatorLine&, const std::string& bytes) { Heard(bytes); });
}

DeviceLine::~DeviceLine() {
    line.Stop();
    {
        std::lock_guard guard(lock);
        stopping = true;
    }
    changed.notify_all();
    sender.join();
}

// On the line's thread. A device's own echo goes back at once (paced, it takes the bytes' wire
// time); the answers count their delay from the moment the echo is through.
void DeviceLine::Heard(const std::string& bytes) {
    auto runs =
        device.Received(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), line.Baud());
    std::vector<TimedBytes> later;
    for (auto& run : runs) {
        if (run.delayMs == 0 && !run.announcement)
            SendRun(run);
        else
            later.push_back(run);
    }
    Schedule(later);
}

void DeviceLine::Schedule(const std::vector<TimedBytes>& runs) {
    auto now = Clock::now();
    {
        std::lock_guard guard(lock);
        for (const auto& run : runs)
            due.emplace(now + std::chrono::milliseconds(run.delayMs), run);
    }
    changed.notify_all();
}

void DeviceLine::SendDue() {
    std::unique_lock guard(lock);
    while (!stopping) {
        if (due.empty()) {
            changed.wait(guard);
            continue;
        }
        auto next = due.begin();
        if (next->first > Clock::now()) {
            changed.wait_until(guard, next->first);
            continue;
        }
        TimedBytes run = next->second;
        due.erase(next);
        guard.unlock();
        if (!run.announcement || device.Announcing()) SendRun(run);
        guard.lock();
    }
}

void DeviceLine::SendRun(const TimedBytes& run) {
    auto first = std::chrono::system_clock::now();
    bool done = line.Send(std::string(run.bytes.begin(), run.bytes.end()));
    if (done && sent) sent(run, first, std::chrono::system_clock::now());
}

} // namespace sensor_emulator
