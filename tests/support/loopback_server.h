#pragma once
// A TCP server on 127.0.0.1 and a free port, run on its own thread for one test. It serves one
// connection at a time, records every byte each connection sent, and answers through a
// protocol session made per connection. Its script decides whether the answers are good or
// error replies and after how many answers it falls silent (0: it accepts and sends nothing).

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testing_support {

struct ServerScript {
    bool errors = false; // answer with error replies
    // Answers over the server's whole life before it goes silent.
    std::size_t replies = std::numeric_limits<std::size_t>::max();
    // A connection is closed by the server once it has taken this many bytes (and answered them);
    // what the client sends after is not read.
    std::size_t closeAfterBytes = std::numeric_limits<std::size_t>::max();
};

// One connection's protocol: what to send on connect and in answer to received bytes.
class ServerSession {
  public:
    virtual ~ServerSession() = default;
    virtual std::vector<std::string> Greeting() { return {}; }
    virtual std::vector<std::string> Feed(std::string_view bytes) = 0;
};

class LoopbackServer {
  public:
    using SessionFactory = std::function<std::unique_ptr<ServerSession>()>;
    LoopbackServer(ServerScript script, SessionFactory factory);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    unsigned short Port() const { return port; }
    // What each connection sent, in the order they were accepted.
    std::vector<std::string> Received() const;
    // Waits up to `ms` until `count` connections were closed (by the client or the script); false
    // on time-out.
    bool WaitForClosed(std::size_t count, int ms) const;

  private:
    void Run();
    void Serve(int connection);
    void Answer(int connection, const std::vector<std::string>& replies);
    void Append(std::string_view bytes);

    ServerScript script;
    SessionFactory factory;
    int listener = -1;
    int wake[2] = {-1, -1};
    unsigned short port = 0;
    std::size_t repliesSent = 0;
    mutable std::mutex lock;
    mutable std::condition_variable changed;
    std::vector<std::string> received;
    std::size_t closed = 0;
    std::thread thread;
};

} // namespace testing_support
