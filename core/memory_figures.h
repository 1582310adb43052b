#pragma once
// The process's memory use for the log.

#include "core/log.h"
#include "platform/win32/types.h"

// The own process, opened by the first memory query and kept open until the process ends;
// INVALID_HANDLE_VALUE (-1) until then.
extern HANDLE OwnProcessHandle;

// Working set (resident set) of the own process in bytes; 0 when the query fails, and
// 0xFFFFFFFF for a working set beyond what 32 bits hold.
DWORD GetProcessMemoryUsage();
// Writes "Memory load" with the working set grouped in thousands; returns the figure.
DWORD LogMemoryLoad(FileLogBase& log);
