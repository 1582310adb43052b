#include "platform/win32/processes.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/win32/command_line.h"
#include "platform/win32/last_error.h"
#include "platform/win32/poll_wait.h"
#include "platform/win32/utf.h"

extern char** environ;

namespace win32 {
namespace {

// A descriptor that polls readable once the process has ended (the C library's own wrapper is
// missing its C linkage in this header version).
int OpenPidfd(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

// One process, shared by its process and thread handles.
class ProcessRecord {
  public:
    ProcessRecord(pid_t pid, int pidfd, bool child) : pid(pid), pidfd(pidfd), child(child) {}
    ProcessRecord(const ProcessRecord&) = delete;
    ProcessRecord& operator=(const ProcessRecord&) = delete;

    ~ProcessRecord() {
        if (child && !TryReap()) {
            pid_t orphan = pid;
            std::thread([orphan] {
                while (::waitpid(orphan, nullptr, 0) < 0 && errno == EINTR) {
                }
            }).detach();
        }
        ::close(pidfd);
    }

    pid_t Pid() const { return pid; }

    DWORD Wait(DWORD ms) {
        pollfd ended{pidfd, POLLIN, 0};
        int ready = PollUntil(&ended, 1, RealNowMs() + (ms == INFINITE ? 0 : ms), ms == INFINITE);
        if (ready < 0) {
            FailWithErrno();
            return WAIT_FAILED;
        }
        if (ready == 0) return WaitTimedOut(ms);
        TryReap();
        return WAIT_OBJECT_0;
    }

  private:
    bool TryReap() {
        std::lock_guard guard(lock);
        if (child && !reaped) reaped = ::waitpid(pid, nullptr, WNOHANG) == pid;
        return reaped;
    }

    pid_t pid;
    int pidfd;
    bool child;
    std::mutex lock;
    bool reaped = false;
};

class ProcessObject : public KernelObject {
  public:
    explicit ProcessObject(std::shared_ptr<ProcessRecord> record) : record(std::move(record)) {}
    DWORD Wait(DWORD ms) override { return record->Wait(ms); }
    pid_t Pid() const { return record->Pid(); }

  private:
    std::shared_ptr<ProcessRecord> record;
};

struct LaunchPlan {
    std::string program;
    std::vector<std::string> arguments; // argv[0] included
    bool onPath = false;                // the program is a bare name looked for along PATH
};

std::optional<LaunchPlan> PlanLaunch(LPCWSTR applicationName, LPCWSTR commandLine) {
    std::u16string_view line = commandLine ? std::u16string_view(commandLine) : std::u16string_view();
    std::optional<std::string> program;
    std::size_t rest = 0;
    if (applicationName) {
        program = FindProgram(applicationName, false);
        auto parts = ProgramParts(line);
        rest = parts.empty() ? line.size() : parts.front().end;
    } else {
        for (const auto& part : ProgramParts(line)) {
            if ((program = FindProgram(part.name, true))) {
                rest = part.end;
                break;
            }
        }
    }
    if (!program) return std::nullopt;
    LaunchPlan plan{*program, {*program}};
    for (const auto& word : SplitArguments(line.substr(rest)))
        plan.arguments.push_back(PathToUtf8(word.c_str()));
    return plan;
}

// A program started in view gets a window of its own, as a console program does on Windows: a
// terminal on the X display whose process ends with the program's, titled with the program's file
// name, in UTF-8 and a font with Cyrillic glyphs.
LaunchPlan InTerminalWindow(const LaunchPlan& plan) {
    const std::string title = plan.program.substr(plan.program.rfind('/') + 1);
    LaunchPlan window{
        "xterm", {"xterm", "-T", title, "-fa", "DejaVu Sans Mono", "-fs", "11", "-en", "UTF-8", "-e"}, true};
    window.arguments.push_back(plan.program);
    window.arguments.insert(window.arguments.end(), plan.arguments.begin() + 1, plan.arguments.end());
    return window;
}

bool HasDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

// Spawns the child; its pid, or -1 with the last error set.
pid_t Spawn(const LaunchPlan& plan, bool hidden, LPCWSTR currentDirectory) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (hidden) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addclosefrom_np(&actions, 3); // handles are not inherited
    std::string folder = currentDirectory ? PathToUtf8(currentDirectory) : std::string();
    if (currentDirectory) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE); // WSAStartup ignores it in this process; the child starts clean
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv;
    for (const auto& argument : plan.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    int error = (plan.onPath ? posix_spawnp : posix_spawn)(&pid, plan.program.c_str(), &actions, &attributes,
                                                           argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        if (error == ENOENT)
            FailWith(ERROR_FILE_NOT_FOUND);
        else
            FailWithErrno(error);
        return -1;
    }
    return pid;
}

} // namespace

DWORD ProcessIdOf(HANDLE process) {
    auto object = LookupHandleAs<ProcessObject>(process);
    return object ? static_cast<DWORD>(object->Pid()) : 0;
}

} // namespace win32

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, void* processAttributes,
                    void* threadAttributes, BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCWSTR currentDirectory, STARTUPINFOW* startupInfo, PROCESS_INFORMATION* information) {
    if ((!applicationName && !commandLine) || !startupInfo || !information) {
        return win32::FailWith(ERROR_INVALID_PARAMETER);
    }
    if (processAttributes || threadAttributes || inheritHandles || creationFlags || environment) {
        return win32::FailWith(ERROR_NOT_SUPPORTED);
    }
    auto plan = win32::PlanLaunch(applicationName, commandLine);
    if (!plan) return win32::FailWith(ERROR_FILE_NOT_FOUND);
    bool hidden = (startupInfo->dwFlags & STARTF_USESHOWWINDOW) && startupInfo->wShowWindow == SW_HIDE;
    pid_t pid = -1;
    // Without a display or a terminal program the child shares this program's streams.
    if (!hidden && win32::HasDisplay())
        pid = win32::Spawn(win32::InTerminalWindow(*plan), false, currentDirectory);
    if (pid < 0) pid = win32::Spawn(*plan, hidden, currentDirectory);
    if (pid < 0) return FALSE;
    int pidfd = win32::OpenPidfd(pid);
    if (pidfd < 0) { // a child that cannot be watched is not handed out
        int error = errno;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return win32::FailWithErrno(error);
    }
    auto record = std::make_shared<win32::ProcessRecord>(pid, pidfd, true);
    information->hProcess = win32::RegisterHandle(std::make_shared<win32::ProcessObject>(record));
    information->hThread = win32::RegisterHandle(std::make_shared<win32::ProcessObject>(record));
    information->dwProcessId = static_cast<DWORD>(pid);
    information->dwThreadId = static_cast<DWORD>(pid); // the main thread's id is the process id
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(::getpid());
}

HANDLE OpenProcess(DWORD, BOOL inheritHandle, DWORD processId) {
    if (inheritHandle) {
        win32::FailWith(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    int pidfd = win32::OpenPidfd(static_cast<pid_t>(processId));
    if (pidfd < 0) {
        win32::FailWith(errno == ESRCH || errno == EINVAL ? ERROR_INVALID_PARAMETER
                                                          : static_cast<DWORD>(errno));
        return nullptr;
    }
    // Only processes this one started are reaped; any other is just watched.
    auto record = std::make_shared<win32::ProcessRecord>(static_cast<pid_t>(processId), pidfd, false);
    SetLastError(ERROR_SUCCESS);
    return win32::RegisterHandle(std::make_shared<win32::ProcessObject>(record));
}
