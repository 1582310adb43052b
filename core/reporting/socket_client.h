#pragma once
// Blocking TCP pieces of the report clients, IPv4 only. A connection is a socket and an event
// bound to it; every wait is on that event and lasts at most ReportSettings().waitMs. Replies
// are drained, never read.

#include <cstdint>
#include <string>

#include "platform/win32/winsock.h"

constexpr int SocketReplyBufferSize = 8192;
// Every receive lands here; nothing reads it.
extern char SocketReplyBuffer[SocketReplyBufferSize];

// Connects to the first IPv4 address of host. True when it failed (nothing is left open then);
// false when connected, with the event bound to incoming data.
bool TcpConnect(const std::string& host, std::uint16_t port, SOCKET& socket, WSAEVENT& event);
// True when data arrived in time (it is read once into SocketReplyBuffer); false on time-out.
bool SocketWaitReceive(SOCKET socket, WSAEVENT event);
// One send of the text without its NUL; the platform's result, partial sends not continued. A
// peer that has closed gives SOCKET_ERROR, never a signal.
int SocketSendText(SOCKET socket, const char* text);
