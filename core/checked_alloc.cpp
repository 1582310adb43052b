#include "core/checked_alloc.h"

#include <cstdlib>

#include "core/group_thousands.h"
#include "core/log.h"
#include "core/memory_figures.h"
#include "core/reporting/exception_report.h"
#include "platform/win32/memory.h"

BlockAllocator CheckedAllocator = std::malloc;

namespace {

// What the machine has left, in the log after a failed allocation.
void LogMemoryLeft(FileLogBase& log) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    const std::pair<const char*, DWORDLONG> figures[] = {
        {"ullAvailPhys", status.ullAvailPhys},
        {"ullAvailPage", status.ullAvailPageFile},
        {"ullAvailVirt", status.ullAvailVirtual},
    };
    for (const auto& [key, value] : figures) {
        log.Log(TString(key), GroupThousands(TString(static_cast<unsigned long long>(value))));
    }
}

} // namespace

void* CheckedMalloc(unsigned size, const char* tag) {
    return CheckedMallocImpl(size, tag);
}

void* CheckedMallocImpl(unsigned size, const char* tag) {
    void* block = CheckedAllocator(size);
    if (!block) {
        SimpleLog log;
        log.Log(TString("Unsuccessful memory alloc in ") + TString(tag), TString(size));
        LogMemoryLoad(log);
        LogMemoryLeft(log);
        ReportException(log, TString("malloc"), true); // throws; the log closes on the way out
    }
    TrackAlloc(block, size, tag);
    return block;
}

void TrackAlloc(void*, unsigned, const char*) {}

void UntrackAlloc(void*) {}
