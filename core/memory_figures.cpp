#include "core/memory_figures.h"

#include <limits>

#include "core/group_thousands.h"
#include "platform/win32/memory.h"
#include "platform/win32/processes.h"

HANDLE OwnProcessHandle = INVALID_HANDLE_VALUE;

DWORD GetProcessMemoryUsage() {
    if (OwnProcessHandle == INVALID_HANDLE_VALUE) {
        OwnProcessHandle =
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId());
    }
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(OwnProcessHandle, &counters, sizeof counters);
    // Saturate rather than wrap: a wrapped figure would understate the load.
    constexpr SIZE_T largest = std::numeric_limits<DWORD>::max();
    return static_cast<DWORD>(counters.WorkingSetSize > largest ? largest : counters.WorkingSetSize);
}

DWORD LogMemoryLoad(FileLogBase& log) {
    DWORD usage = GetProcessMemoryUsage();
    log.Log(TString("Memory load"), GroupThousands(TString(usage)));
    return usage;
}
