// A console program started without hiding it, under a virtual X server: it runs in a terminal
// window of its own, as a console program does on Windows, and the launch waits for its end.

#include <gtest/gtest.h>

#include "core/launch.h"
#include "platform/win32/poll_wait.h"
#include "tests/support/current_folder.h"
#include "tests/support/program_file.h"

namespace {

using testing_support::TemporaryCurrentFolder;
using testing_support::WriteProgram;

TEST(LaunchWindow, AConsoleProgramRunsInAWindowOfItsOwnOnATerminalAndIsWaitedFor) {
    TemporaryCurrentFolder folder;
    // The program looks for its window by the title it should have, from inside it.
    WriteProgram("FIRMWARE/kflasher",
                 "#!/bin/sh\n"
                 "[ -t 0 ] && [ -t 1 ] && echo terminal > probe.txt\n"
                 "{\n"
                 "  for i in $(seq 50); do\n"
                 "    xwininfo -name kflasher 2>/dev/null | grep -q IsViewable && break\n"
                 "    sleep 0.1\n"
                 "  done\n"
                 "  xwininfo -name kflasher | grep -o 'Map State: IsViewable'\n"
                 "  printf '[%s]\\n' \"$@\"\n"
                 "} >> probe.txt 2>&1\n"
                 "sleep 0.3\n"
                 "echo ended >> probe.txt\n");
    const std::uint64_t start = win32::RealNowMs();
    Launch(TString(u"FIRMWARE\\kflasher.exe COM3 \"/tmp/a b/fw.enc\""), true, false, false, false);
    EXPECT_GE(win32::RealNowMs() - start, 300u);
    EXPECT_EQ(folder.Read("probe.txt"),
              "terminal\nMap State: IsViewable\n[COM3]\n[/tmp/a b/fw.enc]\nended\n");
}

} // namespace
