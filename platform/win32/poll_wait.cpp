#include "platform/win32/poll_wait.h"

#include <cerrno>
#include <climits>

#include "platform/win32/clock.h"
#include "platform/win32/handles.h"

namespace win32 {

std::uint64_t RealNowMs() {
    return SystemClock().NowMs();
}

int PollUntil(pollfd* fds, nfds_t count, std::uint64_t deadlineMs, bool unlimited) {
    for (;;) {
        int timeout = -1;
        if (!unlimited) {
            std::uint64_t now = RealNowMs();
            std::uint64_t left = deadlineMs > now ? deadlineMs - now : 0;
            timeout = left > INT_MAX ? INT_MAX : static_cast<int>(left);
        }
        int ready = ::poll(fds, count, timeout);
        if (ready >= 0 || errno != EINTR) {
            if (ready == 0 && !unlimited && RealNowMs() < deadlineMs) continue; // woke early
            return ready;
        }
    }
}

DWORD WaitTimedOut(DWORD ms) {
    Clock& clock = CurrentClock();
    if (clock.IsVirtual() && ms != INFINITE) clock.SleepMs(ms);
    return WAIT_TIMEOUT;
}

} // namespace win32
