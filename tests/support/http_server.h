#pragma once
// A loopback web server: reads one request (header block, then Content-Length bytes of body)
// and answers it with 200 OK, or with 500 when errors are set.

#include "tests/support/loopback_server.h"

namespace testing_support {

class HttpServer {
  public:
    explicit HttpServer(ServerScript script = {});
    unsigned short Port() const { return server.Port(); }
    std::vector<std::string> Received() const { return server.Received(); }
    bool WaitForClosed(std::size_t count, int ms = 5000) const { return server.WaitForClosed(count, ms); }

  private:
    LoopbackServer server;
};

} // namespace testing_support
