#pragma once
// Memory figures of a process and of the machine, taken from what the kernel publishes in /proc.

#include "platform/win32/types.h"

// The fields keep their Windows order; SIZE_T is the machine word, so the record is 40 bytes on
// a 32-bit target and 72 here. cb must be at least sizeof(PROCESS_MEMORY_COUNTERS).
struct PROCESS_MEMORY_COUNTERS {
    DWORD cb;
    DWORD PageFaultCount;
    SIZE_T PeakWorkingSetSize;
    SIZE_T WorkingSetSize;
    SIZE_T QuotaPeakPagedPoolUsage;
    SIZE_T QuotaPagedPoolUsage;
    SIZE_T QuotaPeakNonPagedPoolUsage;
    SIZE_T QuotaNonPagedPoolUsage;
    SIZE_T PagefileUsage;
    SIZE_T PeakPagefileUsage;
};

// 64 bytes, as on Windows; dwLength must be set to that.
struct MEMORYSTATUSEX {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    DWORDLONG ullTotalPhys;
    DWORDLONG ullAvailPhys;
    DWORDLONG ullTotalPageFile;
    DWORDLONG ullAvailPageFile;
    DWORDLONG ullTotalVirtual;
    DWORDLONG ullAvailVirtual;
    DWORDLONG ullAvailExtendedVirtual;
};

// Working set = resident set (VmRSS), its peak = VmHWM, page-file usage = private data (VmData)
// and its peak the largest address space (VmPeak); page faults are minor plus major faults.
// There are no kernel pools here, so the quota fields are 0.
BOOL GetProcessMemoryInfo(HANDLE process, PROCESS_MEMORY_COUNTERS* counters, DWORD size);

// Physical: MemTotal and MemAvailable. Page file (what can still be committed): physical plus
// swap, MemTotal + SwapTotal and MemAvailable + SwapFree. Virtual: the user address space (or
// the address-space limit when one is set) and what of it this process does not map yet.
BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status);
