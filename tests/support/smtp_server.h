#pragma once
// A loopback mail server: greets, answers every command line, takes the message after DATA up
// to the line with a single dot and answers it once, and answers QUIT. With errors set every
// answer is an error reply and DATA does not start a message.

#include "tests/support/loopback_server.h"

namespace testing_support {

class SmtpServer {
  public:
    explicit SmtpServer(ServerScript script = {});
    unsigned short Port() const { return server.Port(); }
    std::vector<std::string> Received() const { return server.Received(); }
    bool WaitForClosed(std::size_t count, int ms = 5000) const { return server.WaitForClosed(count, ms); }

  private:
    LoopbackServer server;
};

} // namespace testing_support
