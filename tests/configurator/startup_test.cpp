#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/configurator/main_window_fixture.h"
#include "tests/support/virtual_clock.h"

namespace {

using testing_support::MainWindowTest;

std::vector<std::u16string> Words() {
    std::vector<std::u16string> words;
    for (const WCHAR* word : CommandLineWords)
        words.emplace_back(word);
    return words;
}

std::vector<std::u16string> Split(std::u16string text) {
    CommandLineWords.clear();
    static std::u16string kept; // the words point into the text, as they do for the whole run
    kept = std::move(text);
    SplitCommandLine(kept.data());
    return Words();
}

TEST(CommandLine, WordsAreRunsOfNonBlanksAndNothingElseSeparates) {
    using W = std::vector<std::u16string>;
    EXPECT_EQ(Split(u""), W{});
    EXPECT_EQ(Split(u"   "), W{});
    EXPECT_EQ(Split(u"(COM3)"), W{u"(COM3)"});
    EXPECT_EQ(Split(u"  (COM3)   x "), (W{u"(COM3)", u"x"}));
    EXPECT_EQ(Split(u"velmarosk (COM4)"), (W{u"velmarosk", u"(COM4)"}));
    EXPECT_EQ(Split(u"a\tb"), W{u"a\tb"});
    EXPECT_EQ(Split(u"\"(COM3)\""), W{u"\"(COM3)\""});
    EXPECT_EQ(Split(u"\"C:\\Program Files\\x\""), (W{u"\"C:\\Program", u"Files\\x\""}));
    EXPECT_EQ(Split(u"USB Serial Port (COM3)"), (W{u"USB", u"Serial", u"Port", u"(COM3)"}));
    EXPECT_EQ(Split(u"Порт\u00A0(COM5)"), W{u"Порт\u00A0(COM5)"}); // only U+0020 splits
    CommandLineWords.clear();
}

TEST_F(MainWindowTest, AccessWordFirstShowsTheEngineeringPanelAndIsDropped) {
    struct Row {
        std::u16string commandLine;
        bool shown;
        std::vector<std::u16string> wordsAfter;
    };
    for (const Row& row : std::vector<Row>{
             {u"", false, {}},
             {u"velmarosk", true, {}},
             {u"velmarosk (COM4)", true, {u"(COM4)"}},
             {u"  velmarosk   (COM4) x", true, {u"(COM4)", u"x"}},
             {u"Velmarosk (COM4)", false, {u"Velmarosk", u"(COM4)"}},
             {u"VELMAROSK", false, {u"VELMAROSK"}},
             {u"velmarosk2", false, {u"velmarosk2"}},
             {u"velmaros", false, {u"velmaros"}},
             {u"(COM4) velmarosk", false, {u"(COM4)", u"velmarosk"}},
             {u"\"velmarosk\"", false, {u"\"velmarosk\""}},
         }) {
        SCOPED_TRACE(UnicodeString(row.commandLine).ToUtf8());
        Split(row.commandLine);
        TForm1& form = CreateWindow();
        EXPECT_EQ(form.GroupBox5->Visible(), row.shown);
        EXPECT_EQ(Words(), row.wordsAfter);
        Application->DestroyForms();
        Form1 = nullptr;
    }
}

TEST_F(MainWindowTest, OpeningLogsAnEmptyLineThenProgramOpenedAndMakesTheRecordFolder) {
    std::filesystem::path records = folder.Path() + "/bin/ZNTK";
    CreateWindow();
    std::string log = folder.Read("log.txt");
    // "YYYY.MM.DD hh:mm:ss.lll " + text on each line.
    std::size_t opened = log.find(" Program OPENED\n");
    ASSERT_NE(opened, std::string::npos) << log;
    std::size_t lineStart = log.rfind('\n', opened);
    ASSERT_NE(lineStart, std::string::npos);
    std::size_t previousStart = log.rfind('\n', lineStart - 1);
    previousStart = previousStart == std::string::npos ? 0 : previousStart + 1;
    std::string emptyLine = log.substr(previousStart, lineStart - previousStart);
    EXPECT_EQ(emptyLine.size(), 24u) << emptyLine;
    EXPECT_EQ(emptyLine.back(), ' ');
    EXPECT_TRUE(std::filesystem::is_directory(records));
    EXPECT_FALSE(std::filesystem::exists("ZNTK")) << "beside the program, not in the current folder";

    // A second window finds the folder there already and says nothing about it.
    Application->DestroyForms();
    CreateWindow();
    EXPECT_TRUE(std::filesystem::is_directory(records));
}

} // namespace

namespace {

TEST_F(MainWindowTest, EntrySplitsTheCommandLineCreatesTheWindowRunsItAndReturnsZero) {
    testing_support::VirtualClock clock;
    vcl::headless::LimitMessageLoop(3000);
    std::u16string commandLine = u"velmarosk  (COM7) rest";
    EXPECT_EQ(wWinMain(nullptr, nullptr, commandLine.data(), 1), 0);
    ASSERT_NE(Form1, nullptr);
    EXPECT_EQ(Application->MainForm(), Form1);
    EXPECT_TRUE(Application->MainFormOnTaskBar);
    EXPECT_TRUE(Form1->Visible());
    EXPECT_TRUE(Form1->GroupBox5->Visible());
    EXPECT_EQ(Words(), (std::vector<std::u16string>{u"(COM7)", u"rest"}));
    EXPECT_EQ(clock.NowMs(), 1000u + 3000u); // the loop ran until its limit
    EXPECT_TRUE(vcl::headless::MessageBoxes().empty());
}

TEST(MainUnit, GlobalsAreBuiltOnTheFirstInitialisationAndFreedOnTheLastFinalisation) {
    testing_support::TemporaryCurrentFolder folder;
    MainUnitInitialization();
    SimpleLog* log = AppLog;
    ASSERT_NE(log, nullptr);
    ASSERT_NE(CandidatePorts, nullptr);
    EXPECT_TRUE(CandidatePorts->empty());
    EXPECT_EQ(SensorLink, nullptr);
    MainUnitInitialization();
    EXPECT_EQ(AppLog, log);
    MainUnitFinalization();
    EXPECT_EQ(AppLog, log);
    MainUnitFinalization();
    EXPECT_EQ(AppLog, nullptr);
    EXPECT_EQ(CandidatePorts, nullptr);
}

} // namespace
