#include "core/reporting/socket_client.h"

#include <cstring>

#include "core/reporting/report_endpoints.h"
#include "platform/win32/events.h"

char SocketReplyBuffer[SocketReplyBufferSize];

bool TcpConnect(const std::string& host, std::uint16_t port, SOCKET& socket, WSAEVENT& event) {
    socket = ::socket(AF_INET, SOCK_STREAM, 0);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        closesocket(socket);
        return true;
    }
    // Only the first address is tried.
    sockaddr_in address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    address.sin_port = htons(port);
    freeaddrinfo(found);

    event = WSACreateEvent();
    WSAEventSelect(socket, event, FD_CONNECT);
    connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    // A finished attempt counts as connected, refused or not: the first reply wait tells.
    if (WaitForSingleObject(event, ReportSettings().waitMs) != WAIT_OBJECT_0) {
        closesocket(socket);
        WSACloseEvent(event);
        return true;
    }
    ResetEvent(event);
    WSAEventSelect(socket, event, FD_READ);
    return false;
}

bool SocketWaitReceive(SOCKET socket, WSAEVENT event) {
    if (WaitForSingleObject(event, ReportSettings().waitMs) == WAIT_TIMEOUT) return false;
    recv(socket, SocketReplyBuffer, SocketReplyBufferSize, 0);
    ResetEvent(event);
    return true;
}

int SocketSendText(SOCKET socket, const char* text) {
    // A peer that has closed makes the send fail; without MSG_NOSIGNAL it would also raise SIGPIPE,
    // which ends the program unless WinSock's start-up happened to ignore it.
    return static_cast<int>(send(socket, text, std::strlen(text), MSG_NOSIGNAL));
}
