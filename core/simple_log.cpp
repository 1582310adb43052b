// The shared file's lifecycle: counted opening by SimpleLog, closing by the last release.

#include "core/log.h"
#include "core/socket_start.h"
#include "core/time_value.h"

volatile LONG LogInstanceCount = 0;
FILE* LogFile = nullptr;
CRITICAL_SECTION LogLock;

CRITICAL_SECTION* LogBase::GetLock() {
    return &LogLock;
}

FILE* LogBase::GetFile() {
    return LogFile;
}

void LogBase::AppendPrefix(std::string& line) {
    if (name.empty()) return;
    line += name;
    line += ":\t";
}

void LogBase::SetName(const TString& newName) {
    name = newName.ToStdString(CodePageCyrillic);
}

void LogBase::Release() {
    if (InterlockedDecrement(&LogInstanceCount) != 0) return;
    if (!LogFile) return;
    EnterCriticalSection(&LogLock);
    OnClose();
    std::string line = FormatFileTime(NowLocal(TimeValue(0, 0)), nullptr, 4) + " Closing logs\n";
    std::fprintf(LogFile, "%s", line.c_str());
    std::fclose(LogFile);
    LogFile = nullptr;
    LeaveCriticalSection(&LogLock);
    DeleteCriticalSection(&LogLock);
}

SimpleLog::SimpleLog() {
    InterlockedIncrement(&LogInstanceCount);
    if (LogFile) return;
    // "w" empties the log of an earlier run; "e" keeps it out of the loaders this program starts.
    LogFile = std::fopen("log.txt", "we");
    // A log that cannot be opened costs only its lines; the next SimpleLog tries again.
    if (!LogFile) return;
    InitializeCriticalSection(&LogLock);
    StartSockets();
}

SimpleLog::~SimpleLog() {
    Release();
}
