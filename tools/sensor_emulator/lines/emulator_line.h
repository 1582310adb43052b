#pragma once
// The sensor emulator's wire: a pty whose slave is mapped as a COM port in the port map, and a
// thread that reads what the program sends and hands it to the device model. The line knows
// nothing of any model: it moves bytes, echoes them when asked (as a K-line adapter does), paces
// what it sends at the baud the program set, and tells that baud.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/win32/types.h"
#include "tools/sensor_emulator/lines/port_map.h"
#include "tools/sensor_emulator/lines/pty_pair.h"

namespace sensor_emulator {

class EmulatorLine {
  public:
    struct Options {
        unsigned comNumber = 0;                      // 0: the lowest free number of the map
        std::string description = "Sensor emulator"; // shown in the port's friendly name
        bool echo = false;                           // every received byte goes straight back
        bool pace = false;                           // sent bytes take their wire time
    };
    // Called on the line's thread with each run of bytes as it arrives (after its echo).
    using Receiver = std::function<void(EmulatorLine& line, const std::string& bytes)>;

    EmulatorLine(PortMap& map, Options options);
    explicit EmulatorLine(PortMap& map) : EmulatorLine(map, Options{}) {}
    ~EmulatorLine();
    EmulatorLine(const EmulatorLine&) = delete;
    EmulatorLine& operator=(const EmulatorLine&) = delete;

    unsigned ComNumber() const { return comNumber; }
    std::string ComName() const { return "COM" + std::to_string(comNumber); }
    const std::string& SlavePath() const { return pty.SlavePath(); }

    // Starts the reading thread. Without a receiver the bytes are only recorded.
    void Start(Receiver receiver = nullptr);
    // Ends the thread (also done by the destructor); safe to call twice.
    void Stop();

    // The baud the program set on the line (0 when the rate has no standard number).
    DWORD Baud() const { return pty.LineBaud(); }
    // Sends bytes to the program; paced at 10 bits a byte (8N1) at the line's baud when pacing is
    // on. False once unplugged. Callable from the receiver and from any thread.
    bool Send(const std::string& bytes);
    void SetEcho(bool on) { echo = on; }
    void SetPacing(bool on) { pace = on; }

    // Everything received so far, and a wait until at least n bytes have come.
    std::string Received() const;
    bool WaitForReceived(std::size_t n, int timeoutMs) const;
    void ClearReceived();

    // Pulls the plug: the master closes, the program's port hangs up and the map entry goes, so
    // the next enumeration drops the port. The entry must not stay: another process soon gets
    // the closed pty's number, and a stale entry would name its device.
    void Unplug();

  private:
    void Run();
    void Deliver(const std::string& bytes);

    PortMap& map;
    PtyPair pty;
    unsigned comNumber;
    bool mapped = true; // false once unplugged: the number may be another line's by then
    std::atomic<bool> echo;
    std::atomic<bool> pace;
    Receiver receiver;
    std::thread thread;
    int stopPipe[2] = {-1, -1};
    std::mutex sendLock;
    mutable std::mutex receivedLock;
    mutable std::condition_variable receivedChanged;
    std::string received;
};

} // namespace sensor_emulator
