#include "platform/win32/events.h"

#include <cerrno>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/win32/clock.h"
#include "platform/win32/last_error.h"
#include "platform/win32/poll_wait.h"
#include "platform/win32/winsock.h"

namespace win32 {

Event::Event(bool manualReset, bool initiallySet)
    : fd(::eventfd(initiallySet ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK)), manualReset(manualReset) {
    if (fd < 0) FailWithErrno();
}

Event::~Event() {
    if (fd >= 0) ::close(fd);
}

BOOL Event::Set() {
    std::uint64_t one = 1;
    // A full counter (EAGAIN) means the event is set already.
    if (::write(fd, &one, sizeof one) < 0 && errno != EAGAIN) return FailWithErrno();
    return TRUE;
}

BOOL Event::Reset() {
    std::uint64_t count = 0;
    if (::read(fd, &count, sizeof count) < 0 && errno != EAGAIN) return FailWithErrno();
    return TRUE;
}

bool Event::TryConsume() {
    if (!manualReset) {
        std::uint64_t count = 0;
        return ::read(fd, &count, sizeof count) > 0; // the one waiter that reads it gets the signal
    }
    pollfd probe{fd, POLLIN, 0};
    return ::poll(&probe, 1, 0) > 0 && (probe.revents & POLLIN);
}

void Event::Bind(int socket, long networkEvents) {
    std::lock_guard guard(lock);
    binding = networkEvents ? Binding{socket, networkEvents} : Binding{};
}

void Event::Unbind(int socket) {
    std::lock_guard guard(lock);
    if (binding.socket == socket) binding = Binding{};
}

Event::Binding Event::CurrentBinding() {
    std::lock_guard guard(lock);
    return binding;
}

short Event::PollMask(const Binding& bound) const {
    short mask = 0;
    if (bound.events & (FD_READ | FD_CLOSE)) mask |= POLLIN;
    if (bound.events & FD_CLOSE) mask |= POLLRDHUP;
    if (bound.events & (FD_WRITE | FD_CONNECT)) mask |= POLLOUT;
    return mask;
}

// What the socket's poll result means for the bound network events. Silent: the socket is at its
// end (closed by the peer, failed) and none of the bound events can still happen in this wait.
Event::SocketState Event::Inspect(const Binding& bound, short revents) {
    if (revents & POLLNVAL) return SocketState::Silent;
    bool broken = revents & (POLLERR | POLLHUP | POLLRDHUP);
    // A finished connect attempt, successful or refused, is what FD_CONNECT reports.
    if ((bound.events & FD_CONNECT) && (revents & (POLLOUT | POLLERR | POLLHUP))) {
        Bind(bound.socket, bound.events & ~FD_CONNECT); // reported once, as WinSock does
        return SocketState::Signalled;
    }
    if ((bound.events & FD_WRITE) && (revents & POLLOUT)) return SocketState::Signalled;
    if (revents & POLLIN) {
        char byte = 0;
        ssize_t peeked = ::recv(bound.socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (peeked > 0 && (bound.events & FD_READ)) return SocketState::Signalled;
        if (peeked < 0 && (errno == EAGAIN || errno == EINTR)) return SocketState::Quiet;
        if (peeked <= 0) broken = true; // end of stream: no data will follow
    }
    if (broken && (bound.events & FD_CLOSE)) return SocketState::Signalled;
    return broken ? SocketState::Silent : SocketState::Quiet;
}

DWORD Event::Wait(DWORD ms) {
    bool unlimited = ms == INFINITE;
    Binding bound = CurrentBinding();
    // An unbound event can only be set from inside the process: on a virtual clock look once and
    // let a limited time-out pass virtually.
    if (bound.socket < 0 && CurrentClock().IsVirtual() && !unlimited) {
        return TryConsume() ? WAIT_OBJECT_0 : WaitTimedOut(ms);
    }
    std::uint64_t deadline = RealNowMs() + (unlimited ? 0 : ms);
    bool watchSocket = bound.socket >= 0;
    for (;;) {
        if (TryConsume()) return WAIT_OBJECT_0;
        pollfd fds[2] = {{fd, POLLIN, 0}, {bound.socket, PollMask(bound), 0}};
        int ready = PollUntil(fds, watchSocket ? 2 : 1, deadline, unlimited);
        if (ready < 0) {
            FailWithErrno();
            return WAIT_FAILED;
        }
        if (ready == 0) return WaitTimedOut(ms);
        if (!watchSocket || !fds[1].revents) continue;
        SocketState state = Inspect(bound, fds[1].revents);
        if (state == SocketState::Signalled) Set();
        if (state == SocketState::Silent) watchSocket = false;
        bound = CurrentBinding();
        watchSocket = watchSocket && bound.socket >= 0;
    }
}

} // namespace win32

HANDLE CreateEventW(void* security, BOOL manualReset, BOOL initialState, LPCWSTR name) {
    if (security || name) {
        win32::FailWith(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto event = std::make_shared<win32::Event>(manualReset != FALSE, initialState != FALSE);
    if (!event->Valid()) return nullptr;
    SetLastError(ERROR_SUCCESS);
    return win32::RegisterHandle(std::move(event));
}

BOOL SetEvent(HANDLE event) {
    auto object = win32::LookupHandleAs<win32::Event>(event);
    return object ? object->Set() : FALSE;
}

BOOL ResetEvent(HANDLE event) {
    auto object = win32::LookupHandleAs<win32::Event>(event);
    return object ? object->Reset() : FALSE;
}
