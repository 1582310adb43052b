#include "platform/win32/handles.h"

#include <mutex>
#include <unordered_map>

#include "platform/win32/clock.h"
#include "platform/win32/last_error.h"

namespace win32 {
namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
    // Numbers are never reused, so a closed handle stays invalid for the life of the process.
    std::uintptr_t next = 0x100;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

std::uintptr_t Key(HANDLE handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

} // namespace

DWORD KernelObject::Wait(DWORD) {
    FailWith(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

DWORD WaitForTimeOut(DWORD ms) {
    Clock& clock = CurrentClock();
    if (ms == INFINITE && clock.IsVirtual()) {
        FailWith(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    if (ms == INFINITE) {
        for (;;)
            clock.SleepMs(INFINITE - 1);
    }
    clock.SleepMs(ms);
    return WAIT_TIMEOUT;
}

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object) {
    auto& table = Table();
    std::lock_guard guard(table.lock);
    std::uintptr_t key = table.next;
    table.next += 4; // Windows handles are multiples of four; keep that look.
    table.objects.emplace(key, std::move(object));
    return reinterpret_cast<HANDLE>(key);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    auto& table = Table();
    std::lock_guard guard(table.lock);
    auto found = table.objects.find(Key(handle));
    if (found == table.objects.end()) {
        FailWith(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second;
}

void LookupHandleFailed() {
    FailWith(ERROR_INVALID_HANDLE);
}

} // namespace win32

BOOL CloseHandle(HANDLE handle) {
    std::shared_ptr<win32::KernelObject> object;
    {
        auto& table = win32::Table();
        std::lock_guard guard(table.lock);
        auto found = table.objects.find(win32::Key(handle));
        if (found == table.objects.end()) return win32::FailWith(ERROR_INVALID_HANDLE);
        object = std::move(found->second);
        table.objects.erase(found);
    }
    return object->Close();
}

DWORD WaitForSingleObject(HANDLE handle, DWORD ms) {
    auto object = win32::LookupHandle(handle);
    if (!object) return WAIT_FAILED;
    return object->Wait(ms);
}
