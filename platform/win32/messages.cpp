#include "platform/win32/messages.h"

#include <mutex>
#include <thread>

#include "platform/win32/last_error.h"

namespace win32 {
namespace {

struct InstalledPump {
    std::mutex lock;
    MessagePump* pump = nullptr;
    std::thread::id owner;
};

InstalledPump& Installed() {
    static InstalledPump installed;
    return installed;
}

// The pump of the calling thread's queue, or null.
MessagePump* CallersPump() {
    auto& installed = Installed();
    std::lock_guard guard(installed.lock);
    return installed.owner == std::this_thread::get_id() ? installed.pump : nullptr;
}

} // namespace

void InstallMessagePump(MessagePump* pump) {
    auto& installed = Installed();
    std::lock_guard guard(installed.lock);
    installed.pump = pump;
    installed.owner = pump ? std::this_thread::get_id() : std::thread::id();
}

} // namespace win32

BOOL PeekMessageW(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
    if (!message || (remove != PM_NOREMOVE && remove != PM_REMOVE))
        return win32::FailWith(ERROR_INVALID_PARAMETER);
    win32::MessagePump* pump = win32::CallersPump();
    return pump && pump->Peek(*message, window, first, last, remove) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* message) {
    win32::MessagePump* pump = win32::CallersPump();
    return message && pump && pump->Translate(*message) ? TRUE : FALSE;
}

LRESULT DispatchMessageW(const MSG* message) {
    win32::MessagePump* pump = win32::CallersPump();
    return message && pump ? pump->Dispatch(*message) : 0;
}
