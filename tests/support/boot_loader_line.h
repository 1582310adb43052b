#pragma once
// The boot-loader emulator on a pty mapped as a COM port, for whole-program runs of the loaders:
// it answers at the baud of its model only, sends delayed answers on time from its own thread,
// and paces bytes at the line's baud when asked.

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "tests/support/boot_loader_emulator.h"
#include "tests/support/emulator_line.h"

namespace testing_support {

class BootLoaderLine {
  public:
    BootLoaderLine(PortMap& map, BootLoaderScript script, bool pace = false);
    ~BootLoaderLine();
    BootLoaderLine(const BootLoaderLine&) = delete;
    BootLoaderLine& operator=(const BootLoaderLine&) = delete;

    std::string ComName() const { return line.ComName(); }
    BootLoaderEmulator& Device() { return device; }
    // Waits until the device has heard `count` requests.
    bool WaitForRequests(std::size_t count, int timeoutMs) const;
    // Pulls the adapter: the loader's open port hangs up and nothing more is sent.
    void Unplug() { line.Unplug(); }

  private:
    using Clock = std::chrono::steady_clock;
    void Heard(const std::string& bytes);
    void Schedule(const std::vector<TimedBytes>& runs);
    void SendDue();

    std::uint32_t modelBaud;
    BootLoaderEmulator device;
    EmulatorLine line;
    mutable std::mutex lock;
    mutable std::condition_variable changed;
    std::multimap<Clock::time_point, TimedBytes> due;
    bool stopping = false;
    std::thread sender;
};

} // namespace testing_support
