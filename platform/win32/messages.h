#pragma once
// The calling thread's window message queue. The Win32 layer has no windows of its own: the form
// layer installs a MessagePump at start-up and these calls go through it. Without one, and on any
// thread but the one that installed it, the queue is empty, so a message loop returns at once.

#include "platform/win32/types.h"

constexpr UINT PM_NOREMOVE = 0x0;
constexpr UINT PM_REMOVE = 0x1;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;

namespace win32 {

class MessagePump {
  public:
    virtual ~MessagePump() = default;
    // Without blocking: fills `message` with the next waiting message for `window` (null: any)
    // whose number lies in first..last (both 0: any) and, with PM_REMOVE, takes it out of the
    // queue. False when nothing waits.
    virtual bool Peek(MSG& message, HWND window, UINT first, UINT last, UINT remove) = 0;
    // Turns a key message into character messages; true when it queued one.
    virtual bool Translate(const MSG&) { return false; }
    // Runs the handler the message is meant for and gives its result.
    virtual LRESULT Dispatch(const MSG& message) = 0;
};

// Installs the pump for the calling thread's queue (null removes it). The caller keeps ownership
// and removes it before destroying it.
void InstallMessagePump(MessagePump* pump);

} // namespace win32

// True when a message was found. Flags other than PM_NOREMOVE and PM_REMOVE fail with
// ERROR_INVALID_PARAMETER.
BOOL PeekMessageW(LPMSG message, HWND window, UINT first, UINT last, UINT remove);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageW(const MSG* message);
