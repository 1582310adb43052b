#include "core/launch.h"

#include <memory>

#include <gtest/gtest.h>

#include "core/log.h"
#include "platform/win32/handles.h"
#include "platform/win32/poll_wait.h"
#include "tests/support/current_folder.h"
#include "tests/support/log_text.h"
#include "tests/support/program_file.h"

namespace {

using testing_support::LogTexts;
using testing_support::TemporaryCurrentFolder;
using testing_support::WriteProgram;

TEST(Launch, LoaderCommandLineRunsAndIsWaitedFor) {
    TemporaryCurrentFolder folder;
    WriteProgram("FIRMWARE/kflasher",
                 "#!/bin/sh\nsleep 0.2\nfor a in \"$@\"; do echo \"[$a]\"; done > args.txt\n");
    std::uint64_t start = win32::RealNowMs();
    HANDLE handle =
        Launch(TString(u"FIRMWARE\\kflasher.exe COM3 \"/tmp/a b/fw.enc\""), true, false, false, false);
    EXPECT_GE(win32::RealNowMs() - start, 200u);
    EXPECT_EQ(folder.Read("args.txt"), "[COM3]\n[/tmp/a b/fw.enc]\n"); // finished before Launch returned
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);            // already closed
    EXPECT_EQ(LogTexts(folder.Read("log.txt")),
              (std::vector<std::string>{"Launch:\tFIRMWARE\\kflasher.exe COM3 \"/tmp/a b/fw.enc\"",
                                        "Closing logs"}));
}

TEST(Launch, HiddenKeptHandleWithoutWait) {
    TemporaryCurrentFolder folder;
    WriteProgram("tool", "#!/bin/sh\necho hidden\nsleep 0.1\ntouch done.txt\n");
    HANDLE handle = Launch(TString("tool"), false, true, true, true);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(handle));
    EXPECT_EQ(folder.Read("done.txt"), "");
    EXPECT_EQ(LogTexts(folder.Read("log.txt")).at(0), "Launch:\ttool");
}

TEST(Launch, MissingProgramReturnsAtOnceEveryTime) {
    TemporaryCurrentFolder folder;
    auto appLog =
        std::make_unique<SimpleLog>(); // keeps the file open across both calls, as the program's log does
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::uint64_t start = win32::RealNowMs();
        HANDLE handle = Launch(TString(u"FIRMWARE\\xflasher.exe COM3 115200 -e"), true, true, true, false);
        EXPECT_EQ(handle, nullptr);
        EXPECT_LT(win32::RealNowMs() - start, 500u);
    }
    appLog.reset();
    EXPECT_EQ(LogTexts(folder.Read("log.txt")),
              (std::vector<std::string>{"Launch:\tFIRMWARE\\xflasher.exe COM3 115200 -e",
                                        "Launch:\tFIRMWARE\\xflasher.exe COM3 115200 -e", "Closing logs"}));
}

} // namespace
