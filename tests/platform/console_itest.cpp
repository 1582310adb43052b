// Keys from a terminal: raw and unechoed while the program runs, the settings back however it ends.

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/win32/console.h"

namespace {

// Returning from main ends through exit() as well.
enum class Ending { Exit, Terminated, Interrupted };

bool Cooked(int terminal) {
    termios settings{};
    tcgetattr(terminal, &settings);
    return (settings.c_lflag & ICANON) && (settings.c_lflag & ECHO);
}

TEST(ConsoleTerminal, RawWhileRunningRestoredOnEveryEnding) {
    for (Ending ending : {Ending::Exit, Ending::Terminated, Ending::Interrupted}) {
        int master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        ASSERT_TRUE(Cooked(terminal));
        int ready[2], go[2];
        ASSERT_EQ(pipe(ready), 0);
        ASSERT_EQ(pipe(go), 0);
        pid_t child = fork();
        if (child == 0) {
            dup2(terminal, STDIN_FILENO);
            _kbhit();
            char report = 'r';
            (void)!write(ready[1], &report, 1);
            (void)!read(go[0], &report, 1);
            if (ending == Ending::Exit) std::exit(0);
            pause();
            _exit(3);
        }
        char report = 0;
        ASSERT_EQ(read(ready[0], &report, 1), 1);
        EXPECT_FALSE(Cooked(terminal)) << int(ending);
        if (ending == Ending::Exit) (void)!write(go[1], "x", 1);
        if (ending == Ending::Terminated) kill(child, SIGTERM);
        if (ending == Ending::Interrupted) kill(child, SIGINT);
        int status = 0;
        waitpid(child, &status, 0);
        if (ending == Ending::Terminated) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
        }
        if (ending == Ending::Interrupted) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
        }
        EXPECT_TRUE(Cooked(terminal)) << int(ending);
        close(ready[0]);
        close(ready[1]);
        close(go[0]);
        close(go[1]);
        close(terminal);
        close(master);
    }
}

} // namespace
