#include "platform/win32/processes.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <sstream>
#include <unistd.h>

#include "platform/win32/last_error.h"
#include "platform/win32/poll_wait.h"
#include "tests/support/current_folder.h"
#include "tests/support/program_file.h"
#include "tests/support/virtual_clock.h"

namespace {

using testing_support::TemporaryCurrentFolder;
using testing_support::WriteProgram;

// Starts a command line; the information record, or empty handles when the start failed.
PROCESS_INFORMATION Start(std::u16string line, bool hidden, LPCWSTR application = nullptr) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    PROCESS_INFORMATION information{};
    CreateProcessW(application, line.empty() ? nullptr : line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                   nullptr, &startup, &information);
    return information;
}

void Finish(PROCESS_INFORMATION& information) {
    EXPECT_EQ(WaitForSingleObject(information.hProcess, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(information.hThread));
    EXPECT_TRUE(CloseHandle(information.hProcess));
}

// Runs with the process's standard output sent into a file, so what a child sharing the
// terminal prints can be read back.
class CapturedStdout {
  public:
    explicit CapturedStdout(const std::string& file) : saved(::dup(1)) {
        std::fflush(stdout);
        int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 1);
        ::close(fd);
    }
    ~CapturedStdout() {
        std::fflush(stdout);
        ::dup2(saved, 1);
        ::close(saved);
    }

  private:
    int saved;
};

TEST(Processes, LoaderCommandLineStartsTheProgramWithItsArguments) {
    TemporaryCurrentFolder folder;
    WriteProgram("FIRMWARE/kflasher", "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > args.txt\n");

    auto information = Start(u"FIRMWARE\\kflasher.exe COM3 \"/tmp/some folder/image.enc\"", true);
    ASSERT_NE(information.hProcess, nullptr) << GetLastError();
    EXPECT_NE(information.dwProcessId, 0u);
    Finish(information);
    EXPECT_EQ(folder.Read("args.txt"), "[COM3]\n[/tmp/some folder/image.enc]\n");
}

TEST(Processes, HiddenChildWritesToNullOtherwiseSharesTheTerminal) {
    TemporaryCurrentFolder folder;
    WriteProgram("say", "#!/bin/sh\necho visible; echo error >&2\n");
    {
        CapturedStdout capture(folder.Path() + "/out.txt");
        auto shown = Start(u"./say", false);
        ASSERT_NE(shown.hProcess, nullptr);
        Finish(shown);
        auto hidden = Start(u".\\say.exe", true);
        ASSERT_NE(hidden.hProcess, nullptr);
        Finish(hidden);
    }
    EXPECT_EQ(folder.Read("out.txt"), "visible\n");
}

TEST(Processes, ChildInheritsNoDescriptorsAndGetsDefaultSignals) {
    TemporaryCurrentFolder folder;
    int leaked = ::open("/dev/null", O_RDONLY); // deliberately without O_CLOEXEC
    WriteProgram("probe", "#!/bin/sh\nls /proc/$$/fd > fds.txt\n"
                          "grep SigIgn /proc/$$/status > sig.txt\n");
    auto information = Start(u"probe", true, u"probe");
    ASSERT_NE(information.hProcess, nullptr);
    Finish(information);
    ::close(leaked);
    // A plain redirection, no pipeline: the shell then holds no pipe ends of its own while ls looks.
    std::istringstream listing(folder.Read("fds.txt"));
    std::set<int> open{std::istream_iterator<int>(listing), std::istream_iterator<int>()};
    EXPECT_TRUE(open.count(0) && open.count(1) && open.count(2)) << folder.Read("fds.txt");
    EXPECT_FALSE(open.count(leaked)) << folder.Read("fds.txt");
    std::string ignored = folder.Read("sig.txt");
    ASSERT_FALSE(ignored.empty());
    unsigned long long mask = std::stoull(ignored.substr(ignored.find(':') + 1), nullptr, 16);
    EXPECT_EQ(mask & (1ULL << (SIGPIPE - 1)), 0u);
}

TEST(Processes, MissingProgramFailsAndLeavesTheRecordUntouched) {
    for (const char16_t* line : {u"FIRMWARE\\nothing.exe COM3 \"x\"", u"\"no such\\prog.exe\"", u"   "}) {
        SetLastError(0);
        auto information = Start(line, false);
        EXPECT_EQ(information.hProcess, nullptr);
        EXPECT_EQ(information.hThread, nullptr);
        EXPECT_EQ(information.dwProcessId, 0u);
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    }
    STARTUPINFOW startup{};
    PROCESS_INFORMATION information{};
    std::u16string line = u"sh -c true";
    EXPECT_FALSE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                &information));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST(Processes, WaitTimesOutOnARunningChildAndAdvancesAVirtualClock) {
    auto information = Start(u"sh -c \"sleep 0.3\"", true);
    ASSERT_NE(information.hProcess, nullptr);
    {
        testing_support::VirtualClock clock(0);
        std::uint64_t start = win32::RealNowMs();
        EXPECT_EQ(WaitForSingleObject(information.hProcess, 50), WAIT_TIMEOUT);
        EXPECT_GE(win32::RealNowMs() - start, 50u); // really waited for the child
        EXPECT_EQ(GetTickCount(), 50u);
        EXPECT_EQ(WaitForSingleObject(information.hThread, INFINITE), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(information.hProcess, 0), WAIT_OBJECT_0); // stays signalled
    }
    CloseHandle(information.hThread);
    CloseHandle(information.hProcess);
    EXPECT_EQ(WaitForSingleObject(information.hProcess, 0), WAIT_FAILED);
}

TEST(Processes, ClosedUnwaitedChildIsReapedWhenItEnds) {
    auto information = Start(u"sh -c \"sleep 0.1\"", true);
    ASSERT_NE(information.hProcess, nullptr);
    pid_t pid = static_cast<pid_t>(information.dwProcessId);
    CloseHandle(information.hThread);
    CloseHandle(information.hProcess);
    std::string entry = "/proc/" + std::to_string(pid);
    for (int i = 0; i < 300 && std::filesystem::exists(entry); ++i)
        ::usleep(10000);
    EXPECT_FALSE(std::filesystem::exists(entry)); // no zombie left behind
}

TEST(Processes, OpenProcessWatchesAnotherProcess) {
    auto information = Start(u"sh -c \"sleep 0.1\"", true);
    ASSERT_NE(information.hProcess, nullptr);
    HANDLE watcher = OpenProcess(SYNCHRONIZE, FALSE, information.dwProcessId);
    ASSERT_NE(watcher, nullptr);
    EXPECT_EQ(win32::ProcessIdOf(watcher), information.dwProcessId);
    EXPECT_EQ(WaitForSingleObject(watcher, 10000), WAIT_OBJECT_0);
    CloseHandle(watcher);
    Finish(information);
}

} // namespace
