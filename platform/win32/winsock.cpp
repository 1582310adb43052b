#include "platform/win32/winsock.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <unordered_map>

#include "platform/win32/events.h"
#include "platform/win32/last_error.h"

namespace {

// Which event each socket is bound to, so that closing or rebinding the socket releases the old
// event's binding before the descriptor number can be reused.
struct Bindings {
    std::mutex lock;
    std::unordered_map<SOCKET, std::weak_ptr<win32::Event>> events;
};

Bindings& SocketBindings() {
    static Bindings bindings;
    return bindings;
}

void UnbindSocket(SOCKET socket) {
    auto& bindings = SocketBindings();
    std::lock_guard guard(bindings.lock);
    auto found = bindings.events.find(socket);
    if (found == bindings.events.end()) return;
    if (auto event = found->second.lock()) event->Unbind(socket);
    bindings.events.erase(found);
}

int SocketFailure(DWORD error) {
    win32::FailWith(error);
    return SOCKET_ERROR;
}

} // namespace

int WSAStartup(WORD version, LPWSADATA data) {
    std::signal(SIGPIPE, SIG_IGN);
    if (data) {
        std::memset(data, 0, sizeof *data);
        data->wVersion = version;
        data->wHighVersion = MAKEWORD(2, 2);
        std::strcpy(data->szDescription, "WinSock 2.2 on POSIX sockets");
        std::strcpy(data->szSystemStatus, "Running");
    }
    return 0;
}

int closesocket(SOCKET socket) {
    UnbindSocket(socket);
    if (::close(socket) != 0) {
        win32::FailWithErrno();
        return SOCKET_ERROR;
    }
    return 0;
}

WSAEVENT WSACreateEvent() {
    auto event = std::make_shared<win32::Event>(true, false);
    if (!event->Valid()) return WSA_INVALID_EVENT;
    return win32::RegisterHandle(std::move(event));
}

int WSAEventSelect(SOCKET socket, WSAEVENT event, long networkEvents) {
    if (networkEvents & ~(FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE)) return SocketFailure(WSAEINVAL);
    auto object = win32::LookupHandleAs<win32::Event>(event);
    if (!object) return SOCKET_ERROR;
    int flags = ::fcntl(socket, F_GETFL);
    if (flags < 0) return SocketFailure(WSAENOTSOCK);
    if (!(flags & O_NONBLOCK) && ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) != 0) {
        win32::FailWithErrno();
        return SOCKET_ERROR;
    }
    UnbindSocket(socket);
    object->Bind(socket, networkEvents);
    auto& bindings = SocketBindings();
    std::lock_guard guard(bindings.lock);
    bindings.events[socket] = object;
    return 0;
}

BOOL WSACloseEvent(WSAEVENT event) {
    if (!win32::LookupHandleAs<win32::Event>(event)) return FALSE;
    return CloseHandle(event);
}
