#pragma once
// Waits on kernel file descriptors for the objects that something outside the process signals:
// child processes, sockets and events. These always wait in real time, because what they wait
// for happens in real time; on a virtual clock a wait that times out also moves that clock on by
// its time-out, so deadlines measured on it advance as they would have.

#include <poll.h>

#include "platform/win32/types.h"

namespace win32 {

// Monotonic real-time milliseconds, whatever clock is installed.
std::uint64_t RealNowMs();

// poll() until something is ready or the deadline (RealNowMs scale; INFINITE: none) passes.
// Returns the count of ready descriptors, 0 on time-out, -1 on a failure other than EINTR.
int PollUntil(pollfd* fds, nfds_t count, std::uint64_t deadlineMs, bool unlimited);

// Finishes a wait of `ms` that timed out: on a virtual clock, advances it by `ms`.
DWORD WaitTimedOut(DWORD ms);

} // namespace win32
