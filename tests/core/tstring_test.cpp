#include "core/tstring.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <stdexcept>

namespace {

std::string Narrow(const TString& text) {
    return text.ToStdString(CodePageUtf8);
}

TEST(TString, IntegerTexts) {
    EXPECT_EQ(TString(0), u"0");
    EXPECT_EQ(TString(-42), u"-42");
    EXPECT_EQ(TString(INT_MIN), u"-2147483648");
    EXPECT_EQ(TString(4294967295u), u"4294967295");
    EXPECT_EQ(TString(4294967295ul), u"4294967295");
    EXPECT_EQ(TString(18446744073709551615ull), u"18446744073709551615");
}

TEST(TString, NumberTextOfDouble) {
    struct Row {
        double value;
        bool comma;
        const char16_t* text;
    };
    const Row rows[] = {
        {12.5, false, u"12.5"},
        {12.5, true, u"12,5"},
        {100.0, false, u"100"},
        {100.0, true, u"100"},
        {-0.25, false, u"-0.25"},
        {2.0000004, true, u"2"},
        {0.0000123, false, u"0.000012"},
        {0.00001, false, u"0.00001"},
        {0.1, true, u"0,1"},
        {3.0, true, u"3"},
        {12.125, false, u"12.125"},
        {-1234567.5, true, u"-1234567,5"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(TString(row.value, row.comma), row.text) << row.value;

    // Below 1e-05 the short library form is used and never takes a comma.
    EXPECT_EQ(TString(0.0, true), u"0");
    EXPECT_EQ(TString(-0.000001, true).find(u','), TString::npos);
    EXPECT_EQ(TString(-0.000001, true).find(u'1'), 1u);
    // No decimal point at all: nothing to replace.
    EXPECT_EQ(TString(HUGE_VAL, true), u"inf");
}

TEST(TString, NarrowToWide) {
    EXPECT_EQ(TString("\xC4"), u"Д");
    EXPECT_EQ(TString('\xC4'), u"Д");
    EXPECT_EQ(TString("\xC4\xE0"), u"Да");
    EXPECT_EQ(TString(static_cast<const char*>(nullptr)), u"");
    EXPECT_EQ(TString(nullptr, 3, 1251), u"");
    EXPECT_EQ(TString("\xD0\x94\xD0\xB0", -1, 65001), u"Да");
    EXPECT_EQ(TString("\x84", 1, 866), u"Д");
    // Explicit lengths keep embedded NULs.
    EXPECT_EQ(TString("a\0b", 3, 1251), std::u16string(u"a\0b", 3));

    // Raw UTF-16: an odd last byte is dropped; length -1 stops at the first zero byte.
    EXPECT_EQ(TString("A\0B\0C", 5, 1200), u"AB");
    EXPECT_EQ(TString("A\0B\0", -1, 1200), u"");
    EXPECT_EQ(TString("\x14\x04\x30\x04", -1, 1200), u"Да");

    // A std::string is read up to its first NUL.
    EXPECT_EQ(TString(std::string("A\0B", 3), 1251), u"A");
    EXPECT_EQ(TString(std::string("\xC4\xE0"), 1251), u"Да");
}

TEST(TString, FailedNarrowConversionGivesEmptyText) {
    EXPECT_EQ(TString("abc", -1, 437), u""); // a page the platform does not know
    TString text(u"keep");
    text.AssignMultiByte("abc", -1, 12345);
    EXPECT_EQ(text, u"");
    text = TString(u"old");
    text.AssignMultiByte("new", 0, 1251);
    EXPECT_EQ(text, u"");
}

TEST(TString, WideToNarrow) {
    TString yes(u"Да");
    EXPECT_EQ(yes.ToStdString(1251), "\xC4\xE0");
    EXPECT_EQ(yes.ToStdString(65001), "\xD0\x94\xD0\xB0");
    EXPECT_EQ(yes.ToStdString(866), "\x84\xA0");
    EXPECT_EQ(TString(u"AB").ToStdString(1200), std::string("A\0B\0", 4));
    for (int page : {1251, 65001, 1200, 866})
        EXPECT_EQ(TString().ToStdString(page), "") << page;

    // More than two UTF-8 bytes per character does not fit: 2n '#'.
    EXPECT_EQ(TString(u"中").ToStdString(65001), "##");
    EXPECT_EQ(TString(u"a中中").ToStdString(65001), "######");
    EXPECT_EQ(TString(u"ab中").ToStdString(65001), "ab\xE4\xB8\xAD");
    // A failed conversion also gives '#'s; a character 1251 lacks does not fail.
    EXPECT_EQ(TString(u"abc").ToStdString(437), "######");
    EXPECT_EQ(TString(u"a中").ToStdString(1251), "a?");
    // The text is converted up to an embedded NUL.
    EXPECT_EQ(TString(std::u16string(u"a\0b", 3)).ToStdString(1251), "a");
}

TEST(TString, ToInt) {
    struct Row {
        const char16_t* text;
        bool hex;
        int value;
    };
    const Row rows[] = {
        {u"  42x", false, 42},
        {u"-17", false, -17},
        {u"+8", false, 8},
        {u"abc", false, 0},
        {u"", false, 0},
        {u"\t\n 7", false, 7},
        {u"99999999999", false, INT_MAX},
        {u"-99999999999", false, INT_MIN},
        {u"1F", true, 0x1F},
        {u" ff", true, 255},
        {u"0x10", true, 16},
        {u"FFFFFFFF", true, -1},
        {u"1AbZ", true, 0x1AB},
        {u"123456789", true, 0x23456789},
    };
    for (const Row& row : rows)
        EXPECT_EQ(TString(row.text).ToInt(row.hex), row.value) << Narrow(row.text);
}

TEST(TString, Between) {
    EXPECT_EQ(TString(u"USB Serial Port (COM3)").Between(u'(', u')'), u"COM3");
    EXPECT_EQ(TString(u"COM3").Between(u'(', u')'), u"");
    EXPECT_EQ(TString(u"x(y").Between(u'(', u')'), u"");
    EXPECT_EQ(TString(u"a()b").Between(u'(', u')'), u"");
    EXPECT_EQ(TString(u"a)b(c)d(e)").Between(u'(', u')'), u"c");
}

TEST(TString, SubstringCopiesAndOperators) {
    TString source(u"COM17");
    EXPECT_EQ(TString(source, 3, 2), u"17");
    EXPECT_EQ(TString(source, 3, 100), u"17");
    EXPECT_EQ(TString(source, 5, 1), u"");
    EXPECT_THROW(TString(source, 6, 1), std::out_of_range);

    TString copy = source;
    copy += u"!";
    EXPECT_EQ(source, u"COM17");
    copy = *&copy;
    EXPECT_EQ(copy, u"COM17!");

    EXPECT_EQ(TString(u"a") + TString(u"b"), u"ab");
    EXPECT_EQ(TString(u"Порт ") + "\xC4", u"Порт Д");
    EXPECT_EQ("\xC4" + TString(u"a"), u"Дa");
    EXPECT_EQ(TString(u"x") + System::UnicodeString(u"yz"), u"xyz");
    EXPECT_EQ(TString(u"x") + System::UnicodeString(), u"x");
    EXPECT_EQ(TString(System::UnicodeString(static_cast<const WCHAR*>(nullptr))), u"");
    EXPECT_EQ(TString(u"Да").ToUnicodeString().Text(), u"Да");
    EXPECT_EQ(TString(u'Ж'), u"Ж");
}

} // namespace
