#pragma once
// Processes: starting a program from a Windows command line, process handles that
// WaitForSingleObject and CloseHandle understand, and the own process's id and handle.
//
// A process handle waits on a pidfd, in real time, because the child runs in real time; on a
// virtual clock a wait that times out also advances that clock by its time-out. A started child
// is reaped when a wait sees its end, or, if no handle saw it, by a small reaper thread once the
// last handle is closed, so no zombie is left as no process lingers on Windows after its end.

#include "platform/win32/handles.h"
#include "platform/win32/types.h"

constexpr DWORD STARTF_USESHOWWINDOW = 0x1;
constexpr WORD SW_HIDE = 0;
constexpr WORD SW_SHOWNORMAL = 1;

constexpr DWORD PROCESS_QUERY_INFORMATION = 0x400;
constexpr DWORD PROCESS_VM_READ = 0x10;
constexpr DWORD SYNCHRONIZE = 0x100000;

struct STARTUPINFOW {
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    BYTE* lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};

// The program comes from `applicationName` when given (a path, not searched for), else from the
// start of `commandLine`; the child's arguments come from `commandLine` (or are just the program).
// Hidden (STARTF_USESHOWWINDOW with SW_HIDE): the child's standard streams go to /dev/null.
// Otherwise it runs in a window of its own, an xterm on the X display (the handle is the
// terminal's, whose process ends with the program's), or, with no display or no xterm, it shares
// the caller's streams. The child inherits no descriptor beyond its three streams. Supported: no
// security attributes, handles not inherited, creation flags 0, the caller's environment; a
// current folder may be given. A program that is not found fails with ERROR_FILE_NOT_FOUND and
// leaves `information` untouched (it is never handed to the terminal).
BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, void* processAttributes,
                    void* threadAttributes, BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCWSTR currentDirectory, STARTUPINFOW* startupInfo, PROCESS_INFORMATION* information);

DWORD GetCurrentProcessId();
// A handle of a running process (any access asked for is granted); null with
// ERROR_INVALID_PARAMETER when there is no such process.
HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId);

namespace win32 {
// The process id behind a process handle, or 0 with ERROR_INVALID_HANDLE.
DWORD ProcessIdOf(HANDLE process);
} // namespace win32
