#include "core/socket_start.h"

#include "platform/win32/winsock.h"

void StartSockets() {
    WSADATA data; // neither the record nor the result is used
    WSAStartup(MAKEWORD(2, 2), &data);
}
