#include "platform/win32/memory.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <unordered_map>

#include "platform/win32/last_error.h"
#include "platform/win32/processes.h"

namespace {

// "Key:   1234 kB" lines of /proc/meminfo and /proc/PID/status, as bytes.
using KiloByteFields = std::unordered_map<std::string, unsigned long long>;

bool ReadKiloByteFields(const std::string& path, KiloByteFields& fields) {
    std::ifstream file(path);
    if (!file) return false;
    std::string line;
    while (std::getline(file, line)) {
        std::size_t colon = line.find(':');
        if (colon == std::string::npos || line.find(" kB") == std::string::npos) continue;
        fields[line.substr(0, colon)] = std::stoull(line.substr(colon + 1)) * 1024;
    }
    return true;
}

// Minor plus major page faults, fields 10 and 12 of /proc/PID/stat.
DWORD PageFaults(const std::string& folder) {
    std::ifstream file(folder + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::size_t end = text.rfind(')'); // the command name may hold blanks and parentheses
    if (end == std::string::npos) return 0;
    std::istringstream fields(text.substr(end + 2));
    std::string skip;
    unsigned long long minor = 0, major = 0;
    for (int field = 3; field < 10; ++field)
        fields >> skip;
    fields >> minor >> skip >> major;
    return static_cast<DWORD>(minor + major);
}

unsigned long long UserAddressSpace() {
    // x86-64 gives a process 128 TiB below the kernel; a 32-bit process 3 GiB.
    unsigned long long space = sizeof(void*) == 8 ? 1ULL << 47 : 0xC0000000ULL;
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < space) {
        space = limit.rlim_cur;
    }
    return space;
}

} // namespace

BOOL GetProcessMemoryInfo(HANDLE process, PROCESS_MEMORY_COUNTERS* counters, DWORD size) {
    if (!counters || size < sizeof(PROCESS_MEMORY_COUNTERS))
        return win32::FailWith(ERROR_INSUFFICIENT_BUFFER);
    DWORD pid = win32::ProcessIdOf(process);
    if (pid == 0) return FALSE;
    std::string folder = "/proc/" + std::to_string(pid);
    KiloByteFields status;
    if (!ReadKiloByteFields(folder + "/status", status)) return win32::FailWith(ERROR_INVALID_HANDLE);
    std::memset(counters, 0, sizeof *counters);
    counters->cb = sizeof *counters;
    counters->PageFaultCount = PageFaults(folder);
    counters->WorkingSetSize = status["VmRSS"];
    counters->PeakWorkingSetSize = status["VmHWM"];
    counters->PagefileUsage = status["VmData"];
    counters->PeakPagefileUsage = status["VmPeak"];
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status) {
    if (!status || status->dwLength != sizeof(MEMORYSTATUSEX))
        return win32::FailWith(ERROR_INVALID_PARAMETER);
    KiloByteFields machine, own;
    if (!ReadKiloByteFields("/proc/meminfo", machine) || !ReadKiloByteFields("/proc/self/status", own)) {
        return win32::FailWithErrno();
    }
    status->ullTotalPhys = machine["MemTotal"];
    status->ullAvailPhys = machine["MemAvailable"];
    status->ullTotalPageFile = machine["MemTotal"] + machine["SwapTotal"];
    status->ullAvailPageFile = machine["MemAvailable"] + machine["SwapFree"];
    status->ullTotalVirtual = UserAddressSpace();
    unsigned long long mapped = own["VmSize"];
    status->ullAvailVirtual = mapped < status->ullTotalVirtual ? status->ullTotalVirtual - mapped : 0;
    status->ullAvailExtendedVirtual = 0;
    unsigned long long total = status->ullTotalPhys;
    status->dwMemoryLoad = total ? static_cast<DWORD>((total - status->ullAvailPhys) * 100 / total) : 0;
    return TRUE;
}
