// The emulator program removes its port map however it is asked to end: an entry left behind
// would soon name a pty number that another process has got.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Emulator {
    pid_t pid = -1;
    std::FILE* output = nullptr;
    // Starts the program on COM5 with its standard output on a pipe.
    Emulator() {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
        char program[] = SONDRIX_EMULATOR, com[] = "--com", five[] = "5";
        char* argv[] = {program, com, five, nullptr};
        if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipe[1]);
        output = ::fdopen(pipe[0], "r");
    }
    ~Emulator() {
        if (output) std::fclose(output);
    }
    std::string Line() {
        char text[512] = "";
        if (!std::fgets(text, sizeof text, output)) return "";
        std::string line = text;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        return line;
    }
    int End(int signal) {
        int status = 0;
        ::kill(pid, signal);
        ::waitpid(pid, &status, 0);
        return status;
    }
};

TEST(SensorEmulator, RemovesItsPortMapWhenInterruptedHungUpOrTerminated) {
    for (int signal : {SIGINT, SIGHUP, SIGTERM, SIGQUIT}) {
        Emulator emulator;
        ASSERT_GT(emulator.pid, 0);
        EXPECT_EQ(emulator.Line().rfind("COM5 -> /dev/pts/", 0), 0u) << signal;
        std::string exportLine = emulator.Line();
        const std::string prefix = "export SONDRIX_PORTS=";
        ASSERT_EQ(exportLine.rfind(prefix, 0), 0u) << exportLine;
        std::filesystem::path folder = exportLine.substr(prefix.size());
        EXPECT_TRUE(std::filesystem::is_symlink(folder / "COM5")) << signal;

        int status = emulator.End(signal);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << signal << ": status " << status;
        EXPECT_FALSE(std::filesystem::exists(folder)) << signal;
    }
}

} // namespace
