#pragma once
// A pseudo-terminal pair standing in for a serial line: the program opens the slave as its COM
// port, the test (or the emulator) plays the device on the master.

#include <string>

#include "platform/win32/types.h"

namespace sensor_emulator {

class PtyPair {
  public:
    // Throws std::runtime_error when no pty can be had. The slave is raw at once (a new pty starts
    // cooked: echo, ONLCR) and stays open here, so the line lives while the program reopens it.
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int Master() const { return master; }
    const std::string& SlavePath() const { return slavePath; }
    // The baud the program set on the line, read from the master side; 0 for an unknown rate.
    DWORD LineBaud() const;
    // Pulls the plug: the program's descriptor hangs up and the slave node disappears.
    void Unplug();
    bool Plugged() const { return master >= 0; }

    // Master-side byte moves. Write returns false once unplugged; Read waits up to timeoutMs for
    // the first byte and returns what came (empty on time-out or hang-up).
    bool Write(const std::string& bytes);
    std::string Read(std::size_t most, int timeoutMs);
    // Collects exactly n bytes or gives up after timeoutMs in all.
    std::string ReadExactly(std::size_t n, int timeoutMs);

  private:
    int master = -1;
    int slave = -1;
    std::string slavePath;
};

} // namespace sensor_emulator
