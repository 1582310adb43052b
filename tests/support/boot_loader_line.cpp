#include "tests/support/boot_loader_line.h"

namespace testing_support {

BootLoaderLine::BootLoaderLine(PortMap& map, BootLoaderScript script, bool pace)
    : modelBaud(script.model == LineModel::Kline ? 9600 : 19200), device(script),
      line(map, EmulatorLine::Options{.echo = false, .pace = pace}) {
    sender = std::thread([this] { SendDue(); });
    Schedule(device.Opened());
    line.Start([this](EmulatorLine&, const std::string& bytes) { Heard(bytes); });
}

BootLoaderLine::~BootLoaderLine() {
    line.Stop();
    {
        std::lock_guard guard(lock);
        stopping = true;
    }
    changed.notify_all();
    sender.join();
}

bool BootLoaderLine::WaitForRequests(std::size_t count, int timeoutMs) const {
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (device.Requests().size() < count) {
        if (Clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// On the line's thread. The echo goes back at once (paced, it takes the bytes' wire time); the
// answers count their delay from the moment the echo is through.
void BootLoaderLine::Heard(const std::string& bytes) {
    DWORD baud = line.Baud();
    if (baud != 0 && baud != modelBaud) return;
    auto runs = device.Received(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    std::vector<TimedBytes> later;
    for (auto& run : runs) {
        if (run.delayMs == 0 && !run.announcement)
            line.Send(std::string(run.bytes.begin(), run.bytes.end()));
        else
            later.push_back(run);
    }
    Schedule(later);
}

void BootLoaderLine::Schedule(const std::vector<TimedBytes>& runs) {
    auto now = Clock::now();
    {
        std::lock_guard guard(lock);
        for (const auto& run : runs)
            due.emplace(now + std::chrono::milliseconds(run.delayMs), run);
    }
    changed.notify_all();
}

void BootLoaderLine::SendDue() {
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
        if (!run.announcement || device.Announcing())
            line.Send(std::string(run.bytes.begin(), run.bytes.end()));
        guard.lock();
    }
}

} // namespace testing_support
