#pragma once
// Any line device on a pty mapped as a COM port, for whole-program runs and for a person trying the
// tools: the device hears what the program writes together with the baud it set, and its answers
// go out on time from a thread of their own. The echo of an adapter and pacing are the wire's.
// Whoever times the program from outside can hear when each run went out.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "tools/sensor_emulator/lines/emulator_line.h"
#include "tools/sensor_emulator/models/line_device.h"

namespace sensor_emulator {

class DeviceLine {
  public:
    // When the first and the last byte of a run were written, by the wall clock the program's log
    // stamps its lines with. Called on the line's threads.
    using SentNotice = std::function<void(const TimedBytes& run, std::chrono::system_clock::time_point first,
                                          std::chrono::system_clock::time_point last)>;

    // The device must outlive the line.
    DeviceLine(PortMap& map, LineDevice& device, EmulatorLine::Options options, SentNotice sent = nullptr);
    ~DeviceLine();
    DeviceLine(const DeviceLine&) = delete;
    DeviceLine& operator=(const DeviceLine&) = delete;

    std::string ComName() const { return line.ComName(); }
    const std::string& SlavePath() const { return line.SlavePath(); }
    EmulatorLine& Line() { return line; }

  private:
    using Clock = std::chrono::steady_clock;
    void Heard(const std::string& bytes);
    void Schedule(const std::vector<TimedBytes>& runs);
    void SendDue();
    void SendRun(const TimedBytes& run);

    LineDevice& device;
    SentNotice sent;
    EmulatorLine line;
    mutable std::mutex lock;
    std::condition_variable changed;
    std::multimap<Clock::time_point, TimedBytes> due;
    bool stopping = false;
    std::thread sender;
};

} // namespace sensor_emulator
