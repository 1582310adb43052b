#pragma once
// The WinSock subset. A SOCKET is the POSIX descriptor itself, so socket, connect, send, recv,
// getaddrinfo, freeaddrinfo and htons are the POSIX calls, whose signatures take the same
// arguments. Only what WinSock adds lives here: the start-up, closesocket and event objects
// bound to a socket's network events.

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/win32/types.h"

using SOCKET = int;
constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

using WSAEVENT = HANDLE;
inline WSAEVENT const WSA_INVALID_EVENT = nullptr;

// Network events for WSAEventSelect.
constexpr long FD_READ = 0x01;
constexpr long FD_WRITE = 0x02;
constexpr long FD_OOB = 0x04;
constexpr long FD_ACCEPT = 0x08;
constexpr long FD_CONNECT = 0x10;
constexpr long FD_CLOSE = 0x20;

constexpr int WSAEINVAL = 10022;
constexpr int WSAENOTSOCK = 10038;

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
};
using LPWSADATA = WSADATA*;

// Nothing needs starting on Linux. It fills the record and switches off SIGPIPE, so that a send
// on a connection the peer has closed fails with an error as on Windows instead of ending the
// process. Returns 0. A send that may run without this start-up passes MSG_NOSIGNAL itself.
int WSAStartup(WORD version, LPWSADATA data);
// Closes the socket and unbinds any event from it; 0 or SOCKET_ERROR.
int closesocket(SOCKET socket);
// A manual-reset event, initially clear.
WSAEVENT WSACreateEvent();
// Binds the event to the socket's network events (0 unbinds) and makes the socket non-blocking.
// Supported: FD_READ, FD_WRITE, FD_CONNECT, FD_CLOSE. 0 or SOCKET_ERROR.
int WSAEventSelect(SOCKET socket, WSAEVENT event, long networkEvents);
BOOL WSACloseEvent(WSAEVENT event);
