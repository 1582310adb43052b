#include "platform/win32/command_line.h"

#include <gtest/gtest.h>

#include "tests/support/current_folder.h"
#include "tests/support/program_file.h"

namespace {

using win32::ProgramParts;
using win32::SplitArguments;

TEST(CommandLine, ProgramNameQuotedOrUpToEachBlank) {
    auto parts = ProgramParts(u"FIRMWARE\\kflasher.exe COM3 \"C:\\a b\\f.enc\"");
    ASSERT_EQ(parts.size(), 2u); // the quote stops longer unquoted readings
    EXPECT_EQ(parts[0].name, u"FIRMWARE\\kflasher.exe");
    EXPECT_EQ(parts[0].end, 21u);
    EXPECT_EQ(parts[1].name, u"FIRMWARE\\kflasher.exe COM3");

    parts = ProgramParts(u"  \"my tools\\x.exe\" -e");
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].name, u"my tools\\x.exe");
    EXPECT_EQ(parts[0].end, 18u);

    EXPECT_TRUE(ProgramParts(u"   ").empty());
    parts = ProgramParts(u"\"unclosed name");
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].name, u"unclosed name");
}

TEST(CommandLine, ArgumentsSplitAsTheCRuntimeDoes) {
    struct Row {
        std::u16string_view text;
        std::vector<std::u16string> words;
    };
    const Row rows[] = {
        {u" COM3 \"C:\\a b\\f.enc\"", {u"COM3", u"C:\\a b\\f.enc"}},
        {u"a\tb  c", {u"a", u"b", u"c"}},
        {u"\"\"", {u""}},
        {u"x\"y z\"w", {u"xy zw"}},
        {u"a\\\\\\\"b", {u"a\\\"b"}},         // 3 backslashes + quote: one backslash, literal quote
        {u"\"a\\\\\" b", {u"a\\", u"b"}},     // 2 backslashes + quote: one backslash, quote closes
        {u"a\\\\b c\\", {u"a\\\\b", u"c\\"}}, // backslashes not before a quote stay as written
        {u"\"say \"\"hi\"\"\"", {u"say \"hi\""}},
        {u"", {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(SplitArguments(row.text), row.words) << std::string(row.text.begin(), row.text.end());
}

TEST(CommandLine, ProgramFoundWithOrWithoutExeAndWithSlashes) {
    testing_support::TemporaryCurrentFolder folder;
    testing_support::WriteProgram("FIRMWARE/kflasher", "#!/bin/sh\n");
    testing_support::WriteProgram("FIRMWARE/rflasher.exe", "#!/bin/sh\n");
    folder.Write("FIRMWARE/notrunnable", "data");

    EXPECT_EQ(win32::FindProgram(u"FIRMWARE\\kflasher.exe", true), "FIRMWARE/kflasher");
    EXPECT_EQ(win32::FindProgram(u"FIRMWARE/kflasher", true), "FIRMWARE/kflasher");
    EXPECT_EQ(win32::FindProgram(u"FIRMWARE\\rflasher.EXE", true), std::nullopt); // names are case-sensitive
    EXPECT_EQ(win32::FindProgram(u"FIRMWARE\\rflasher.exe", true), "FIRMWARE/rflasher.exe");
    EXPECT_EQ(win32::FindProgram(u"FIRMWARE\\notrunnable", true), std::nullopt);
    EXPECT_EQ(win32::FindProgram(u"FIRMWARE", true), std::nullopt); // a folder is no program
    EXPECT_EQ(win32::FindProgram(u"FIRMWARE\\missing.exe", true), std::nullopt);
    EXPECT_EQ(win32::FindProgram(u"", true), std::nullopt);

    auto shell = win32::FindProgram(u"sh.exe", true); // bare names go along PATH
    ASSERT_TRUE(shell);
    EXPECT_EQ(shell->substr(shell->size() - 3), "/sh");
    EXPECT_EQ(win32::FindProgram(u"sh", false), std::nullopt); // an application name is not searched for
}

} // namespace
