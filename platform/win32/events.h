#pragma once
// Event objects. An event is an eventfd that is readable while the event is set, so every wait is
// one poll(), and WinSock can bind a socket to an event: the event then also becomes set when the
// socket shows the network events it was bound for.
//
// Waits are real. Only an unbound event, which nothing outside the process can set, behaves
// differently on a virtual clock: a limited wait on it looks once and, when the event is not
// set, advances the clock by its time-out instead of blocking.

#include <mutex>

#include "platform/win32/handles.h"

namespace win32 {

class Event : public KernelObject {
  public:
    Event(bool manualReset, bool initiallySet);
    ~Event() override;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // Valid unless the eventfd could not be made (the last error then tells why).
    bool Valid() const { return fd >= 0; }
    DWORD Wait(DWORD ms) override;
    BOOL Set();
    BOOL Reset();
    // Binds the event to a socket's network events (FD_READ, FD_CONNECT...); 0 unbinds.
    void Bind(int socket, long networkEvents);
    // Drops the binding if it names this socket (the socket is being closed).
    void Unbind(int socket);

  private:
    struct Binding {
        int socket = -1;
        long events = 0;
    };
    enum class SocketState { Quiet, Signalled, Silent };

    bool TryConsume();
    Binding CurrentBinding();
    SocketState Inspect(const Binding& binding, short revents);
    short PollMask(const Binding& binding) const;

    int fd;
    bool manualReset;
    std::mutex lock;
    Binding binding;
};

} // namespace win32

// Only unnamed events without security attributes exist here.
HANDLE CreateEventW(void* security, BOOL manualReset, BOOL initialState, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
