#include "platform/win32/winsock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/win32/clock.h"
#include "platform/win32/events.h"
#include "platform/win32/last_error.h"
#include "platform/win32/poll_wait.h"

namespace {

// A listening loopback socket on a free port.
struct Listener {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    unsigned short port = 0;
    Listener() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd, 4);
        socklen_t length = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    ~Listener() { ::close(fd); }
    int Accept() const { return ::accept(fd, nullptr, nullptr); }
};

sockaddr_in Loopback(unsigned short port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

class Winsock : public ::testing::Test {
  protected:
    void SetUp() override {
        WSADATA data{};
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        EXPECT_EQ(data.wVersion, 0x0202);
    }
};

// Connects a socket bound to a fresh event the way a client does: FD_CONNECT, wait, then FD_READ.
TEST_F(Winsock, ConnectThenReadNotifications) {
    Listener listener;
    SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    WSAEVENT event = WSACreateEvent();
    ASSERT_NE(event, WSA_INVALID_EVENT);
    ASSERT_EQ(WSAEventSelect(client, event, FD_CONNECT), 0);
    auto address = Loopback(listener.port);
    connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ASSERT_EQ(WaitForSingleObject(event, 3000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0); // manual reset: stays set
    ResetEvent(event);
    ASSERT_EQ(WSAEventSelect(client, event, FD_READ), 0);
    int server = listener.Accept();

    EXPECT_EQ(WaitForSingleObject(event, 30), WAIT_TIMEOUT); // nothing sent yet
    ASSERT_EQ(::write(server, "220 hi\r\n", 8), 8);
    ASSERT_EQ(WaitForSingleObject(event, 3000), WAIT_OBJECT_0);
    char reply[16] = {};
    EXPECT_EQ(recv(client, reply, sizeof reply, 0), 8);
    ResetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 30), WAIT_TIMEOUT); // drained: no data, no signal

    ::close(server); // the peer's end is not data: FD_READ stays quiet until the time-out
    std::uint64_t start = win32::RealNowMs();
    EXPECT_EQ(WaitForSingleObject(event, 80), WAIT_TIMEOUT);
    EXPECT_GE(win32::RealNowMs() - start, 80u);
    EXPECT_EQ(send(client, "x", 1, 0), 1); // the first send after the peer closed still goes out
    Sleep(20);
    EXPECT_EQ(send(client, "x", 1, 0), -1); // the next one fails instead of raising SIGPIPE

    EXPECT_EQ(closesocket(client), 0);
    EXPECT_TRUE(WSACloseEvent(event));
    EXPECT_FALSE(WSACloseEvent(event));
}

TEST_F(Winsock, RefusedConnectStillSignalsTheConnectNotification) {
    unsigned short port;
    {
        Listener closed;
        port = closed.port;
    }
    SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    WSAEVENT event = WSACreateEvent();
    WSAEventSelect(client, event, FD_CONNECT);
    auto address = Loopback(port);
    connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
    EXPECT_EQ(WaitForSingleObject(event, 3000), WAIT_OBJECT_0);
    ResetEvent(event);
    WSAEventSelect(client, event, FD_READ);
    EXPECT_EQ(WaitForSingleObject(event, 50), WAIT_TIMEOUT);
    closesocket(client);
    WSACloseEvent(event);
}

TEST_F(Winsock, ClosingTheSocketUnbindsItsEvent) {
    Listener listener;
    SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    WSAEVENT event = WSACreateEvent();
    WSAEventSelect(client, event, FD_READ);
    auto address = Loopback(listener.port);
    connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int server = listener.Accept();
    ASSERT_EQ(::write(server, "x", 1), 1);
    closesocket(client);
    // A new descriptor may get the closed socket's number; the event must not watch it.
    int reused = ::open("/dev/zero", O_RDONLY);
    EXPECT_EQ(WaitForSingleObject(event, 30), WAIT_TIMEOUT);
    ::close(reused);
    ::close(server);
    WSACloseEvent(event);
}

TEST_F(Winsock, UnsupportedNotificationsAndHandlesFail) {
    SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    WSAEVENT event = WSACreateEvent();
    EXPECT_EQ(WSAEventSelect(client, event, FD_ACCEPT), SOCKET_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(WSAEINVAL));
    EXPECT_EQ(WSAEventSelect(client, reinterpret_cast<WSAEVENT>(0x777), FD_READ), SOCKET_ERROR);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    closesocket(client);
    EXPECT_EQ(closesocket(client), SOCKET_ERROR);
    WSACloseEvent(event);
}

} // namespace
