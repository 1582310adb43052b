#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace testing_support {

LoopbackServer::LoopbackServer(ServerScript script, SessionFactory factory)
    : script(script), factory(std::move(factory)) {
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 8) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(wake, O_CLOEXEC) != 0) {
        throw std::runtime_error("loopback server could not listen");
    }
    port = ntohs(address.sin_port);
    thread = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer() {
    char stop = 0;
    (void)!::write(wake[1], &stop, 1);
    thread.join();
    ::close(listener);
    ::close(wake[0]);
    ::close(wake[1]);
}

std::vector<std::string> LoopbackServer::Received() const {
    std::lock_guard guard(lock);
    return received;
}

bool LoopbackServer::WaitForClosed(std::size_t count, int ms) const {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, std::chrono::milliseconds(ms), [&] { return closed >= count; });
}

void LoopbackServer::Run() {
    for (;;) {
        pollfd fds[2] = {{listener, POLLIN, 0}, {wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        int on = 1; // answers go out at once, not held back for the client's acknowledgement
        ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        {
            std::lock_guard guard(lock);
            received.emplace_back();
        }
        bool stopped = false;
        try {
            Serve(connection);
        } catch (const std::exception&) {
            stopped = true;
        }
        ::close(connection);
        std::lock_guard guard(lock);
        ++closed;
        changed.notify_all();
        if (stopped) return;
    }
}

// Serves one connection until the client closes it or it has taken the script's bytes; throws
// when the server is being stopped.
void LoopbackServer::Serve(int connection) {
    auto session = factory();
    Answer(connection, session->Greeting());
    char buffer[4096];
    for (std::size_t taken = 0; taken < script.closeAfterBytes;) {
        pollfd fds[2] = {{connection, POLLIN, 0}, {wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) throw std::runtime_error("stopped");
        ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) return;
        std::string_view bytes(buffer, static_cast<std::size_t>(got));
        taken += bytes.size();
        Append(bytes);
        Answer(connection, session->Feed(bytes));
    }
}

void LoopbackServer::Answer(int connection, const std::vector<std::string>& replies) {
    for (const auto& reply : replies) {
        if (repliesSent >= script.replies) return;
        ++repliesSent;
        ::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
    }
}

void LoopbackServer::Append(std::string_view bytes) {
    std::lock_guard guard(lock);
    received.back().append(bytes);
}

} // namespace testing_support
