// The loopback servers are what the mail and web client tests measure against, so their own
// replies are checked here with plain sockets.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/win32/winsock.h"
#include "tests/support/http_server.h"
#include "tests/support/smtp_server.h"

namespace {

using testing_support::ServerScript;

int Connect(unsigned short port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

// What arrives within `ms` after sending `text` (which may be empty).
std::string Exchange(int fd, const std::string& text, int ms = 200) {
    if (!text.empty()) {
        EXPECT_EQ(::send(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
    }
    std::string got;
    pollfd ready{fd, POLLIN, 0};
    char buffer[512];
    while (::poll(&ready, 1, ms) > 0) {
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        got.append(buffer, static_cast<std::size_t>(n));
        ms = 100;
    }
    return got;
}

TEST(LoopbackServers, SmtpAnswersCommandsAndOneReplyPerMessage) {
    testing_support::SmtpServer server;
    int fd = Connect(server.Port());
    EXPECT_EQ(Exchange(fd, ""), "220 loopback ESMTP\r\n");
    EXPECT_EQ(Exchange(fd, "EHLO x\r\nMAIL FROM:<a>\r\n"), "250 OK\r\n250 OK\r\n");
    EXPECT_EQ(Exchange(fd, "DATA\r\n"), "354 go ahead\r\n");
    EXPECT_EQ(Exchange(fd, "line\r\nQUIT\r\n"), ""); // still inside the message
    EXPECT_EQ(Exchange(fd, "\r\n.\r\nQUIT\r\n"), "250 queued\r\n221 bye\r\n");
    ::close(fd);
    ASSERT_TRUE(server.WaitForClosed(1));
    EXPECT_EQ(server.Received().at(0),
              "EHLO x\r\nMAIL FROM:<a>\r\nDATA\r\nline\r\nQUIT\r\n\r\n.\r\nQUIT\r\n");
}

TEST(LoopbackServers, ScriptGivesErrorsOrFallsSilent) {
    testing_support::SmtpServer failing(ServerScript{true});
    int fd = Connect(failing.Port());
    EXPECT_EQ(Exchange(fd, ""), "554 no service\r\n");
    EXPECT_EQ(Exchange(fd, "DATA\r\nx\r\n"), "550 refused\r\n550 refused\r\n");
    ::close(fd);

    testing_support::SmtpServer quiet(ServerScript{false, 2});
    fd = Connect(quiet.Port());
    EXPECT_EQ(Exchange(fd, "EHLO a\r\nMAIL FROM:<b>\r\n"), "220 loopback ESMTP\r\n250 OK\r\n");
    ::close(fd);
    fd = Connect(quiet.Port()); // the budget spans connections
    EXPECT_EQ(Exchange(fd, "EHLO a\r\n"), "");
    ::close(fd);
    EXPECT_TRUE(quiet.WaitForClosed(2));
    EXPECT_EQ(quiet.Received().size(), 2u);
}

TEST(LoopbackServers, HttpAnswersOnceTheWholeBodyArrived) {
    testing_support::HttpServer server;
    int fd = Connect(server.Port());
    EXPECT_EQ(Exchange(fd, "POST /p HTTP/1.1\r\ncontent-LENGTH: 4\r\n\r\nab"), "");
    EXPECT_EQ(Exchange(fd, "cd"), "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK");
    ::close(fd);
    testing_support::HttpServer failing(ServerScript{true});
    fd = Connect(failing.Port());
    EXPECT_EQ(Exchange(fd, "POST / HTTP/1.1\r\n\r\n"),
              "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n");
    ::close(fd);
}

} // namespace
