#include "core/log.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/win32/last_error.h"
#include "tests/support/current_folder.h"
#include "tests/support/log_text.h"

namespace {

using testing_support::LogTexts;
using testing_support::TemporaryCurrentFolder;

TEST(Log, LineFormatWithAndWithoutName) {
    TemporaryCurrentFolder folder;
    {
        SimpleLog log;
        log.Log("Program OPENED");
        log.SetName("COM3");
        log.Log("opened");
        log.Log("Setting speed", "19200");
        const std::uint8_t bytes[] = {0x0A, 0xFF, 0x3C};
        log.LogBytes("Bad message", bytes, 3);
        const std::uint8_t edges[] = {0x00, 0x05, 0x10, 0xFF};
        log.LogBytes("edges", edges, 4);
        log.LogBytes("none", bytes, 0);
        log.LogBytes("negative", bytes, -1);
        log.SetName("");
        log.Log("100% %s %d %n");
        log.Log(TString(u"Да"));
        log.Log(TString(TString::Base(u"a\0b", 3)));
        log.SetName(TString(u"ПОРТ"));
        log.Log("x"); // the closing line below carries no prefix although this log is named
    }
    const std::vector<std::string> expected = {
        "Program OPENED",
        "COM3:\topened",
        "COM3:\tSetting speed:\t19200",
        "COM3:\tBad message:\t0A FF 3C ",
        "COM3:\tedges:\t00 05 10 FF ",
        "COM3:\tnone:\t",
        "COM3:\tnegative:\t",
        "100% %s %d %n",
        "\xC4\xE0",
        "a", // the 1251 text ends at the NUL; the line still ends
        "\xCF\xCE\xD0\xD2:\tx",
        "Closing logs",
    };
    EXPECT_EQ(LogTexts(folder.Read("log.txt")), expected);
}

TEST(Log, OpenAndCloseCounting) {
    TemporaryCurrentFolder folder;
    folder.Write("log.txt", "an earlier run\n");
    ASSERT_EQ(LogInstanceCount, 0);
    auto* first = new SimpleLog();
    EXPECT_EQ(LogInstanceCount, 1);
    ASSERT_NE(LogFile, nullptr);
    EXPECT_EQ(folder.Read("log.txt"), "") << "opening empties the file";
    {
        SimpleLog second;
        EXPECT_EQ(LogInstanceCount, 2);
        second.Log("one");
        delete first; // leaves the file open for `second`
        EXPECT_EQ(LogInstanceCount, 1);
        ASSERT_NE(LogFile, nullptr);
        EXPECT_EQ(LogTexts(folder.Read("log.txt")), std::vector<std::string>{"one"});
        second.Log("two");
    }
    EXPECT_EQ(LogInstanceCount, 0);
    EXPECT_EQ(LogFile, nullptr);
    EXPECT_EQ(LogTexts(folder.Read("log.txt")), (std::vector<std::string>{"one", "two", "Closing logs"}));

    {
        SimpleLog third; // a new period starts an empty file
        third.Log("three");
    }
    EXPECT_EQ(LogTexts(folder.Read("log.txt")), (std::vector<std::string>{"three", "Closing logs"}));
}

TEST(Log, UnopenableFileCostsOnlyTheLines) {
    TemporaryCurrentFolder folder;
    ASSERT_EQ(mkdir("log.txt", 0755), 0); // a folder where the file should be: fopen must fail
    // Sockets are started (which ignores SIGPIPE) by an opening that succeeds, and only then.
    std::signal(SIGPIPE, SIG_DFL);
    {
        SimpleLog blocked;
        EXPECT_EQ(LogFile, nullptr);
        EXPECT_EQ(LogInstanceCount, 1);
        blocked.Log("lost");
        blocked.LogError("lost too");
        {
            SimpleLog alsoBlocked; // tries again, fails again
            EXPECT_EQ(LogFile, nullptr);
        }
        EXPECT_EQ(LogInstanceCount, 1);
        EXPECT_EQ(std::signal(SIGPIPE, SIG_DFL), SIG_DFL);
        ASSERT_EQ(rmdir("log.txt"), 0);
        SimpleLog opens; // the first construction that can open starts the file
        ASSERT_NE(LogFile, nullptr);
        EXPECT_EQ(std::signal(SIGPIPE, SIG_DFL), SIG_IGN);
        blocked.Log("kept");
    }
    EXPECT_EQ(LogInstanceCount, 0);
    EXPECT_EQ(LogFile, nullptr);
    EXPECT_EQ(LogTexts(folder.Read("log.txt")), (std::vector<std::string>{"kept", "Closing logs"}));
}

// A FileLogBase of its own: no lock, its own stream and prefix; the prefix step disturbs the last
// error to show that LogError reports the number current at its call.
struct StreamLog : FileLogBase {
    FILE* stream = std::tmpfile();
    ~StreamLog() { std::fclose(stream); }
    FILE* GetFile() override { return stream; }
    void AppendPrefix(std::string& line) override {
        SetLastError(ERROR_GEN_FAILURE);
        line += "[p] ";
    }
    std::string Text() {
        std::fflush(stream);
        std::rewind(stream);
        std::string text;
        for (int c; (c = std::fgetc(stream)) != EOF;)
            text += static_cast<char>(c);
        return text;
    }
};

TEST(Log, LogErrorReportsTheNumberCurrentAtTheCall) {
    StreamLog log;
    EXPECT_EQ(log.GetLock(), nullptr);
    SetLastError(ERROR_INVALID_HANDLE);
    log.LogError("CloseHandle handle");
    SetLastError(0xFFFFFFFF);
    log.LogError(TString(u"Ошибка"));
    EXPECT_EQ(LogTexts(log.Text()),
              (std::vector<std::string>{"[p] Error: CloseHandle handle - 6",
                                        "[p] Error: \xCE\xF8\xE8\xE1\xEA\xE0 - 4294967295"}));
    EXPECT_EQ(AppendNumber("n=", 0), u"n=0");
    EXPECT_EQ(AppendNumber("", 4000000000u), u"4000000000");
}

} // namespace
