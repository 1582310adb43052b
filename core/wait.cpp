#include "core/wait.h"

#include "core/ticks.h"
#include "platform/win32/clock.h"
#include "platform/win32/handles.h"
#include "platform/win32/messages.h"

namespace {
constexpr DWORD SliceMs = 10;
} // namespace

bool WaitWithMessages(HANDLE handle, int ms) {
    int start = static_cast<int>(GetTickCount());
    for (;;) {
        if (ms != 0) {
            int now = TickNow(start);
            // Unsigned difference: now >= start here, and a long wait must not overflow an int.
            if (static_cast<int>(static_cast<unsigned>(now) - static_cast<unsigned>(start)) >= ms)
                return false;
        }
        if (WaitForSingleObject(handle, SliceMs) != WAIT_TIMEOUT) return true;
        ProcessMessages();
    }
}

void ProcessMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
