#include <gtest/gtest.h>

#include "platform/vcl/sysutils.h"

namespace {

struct SeparatorGuard {
    WCHAR saved = FormatSettings.DecimalSeparator;
    explicit SeparatorGuard(WCHAR separator) { FormatSettings.DecimalSeparator = separator; }
    ~SeparatorGuard() { FormatSettings.DecimalSeparator = saved; }
};

TEST(FloatToStr, ShortestFormWithFifteenDigits) {
    SeparatorGuard point(u'.');
    struct Row {
        double value;
        const char16_t* text;
    };
    for (const Row& row : {
             Row{0.0, u"0"},
             Row{1.0, u"1"},
             Row{-2.5, u"-2.5"},
             Row{0.1, u"0.1"},
             Row{1.0 / 3.0, u"0.333333333333333"},
             Row{2.0 / 3.0, u"0.666666666666667"},
             Row{12.345, u"12.345"},
             Row{100.0, u"100"},
             Row{0.0001, u"0.0001"},
             Row{0.00001, u"1E-5"},
             Row{1.5e-7, u"1.5E-7"},
             Row{999999999999999.0, u"999999999999999"},
             Row{1e15, u"1E15"},
             Row{-1.25e20, u"-1.25E20"},
             Row{0.1 + 0.2, u"0.3"},
             Row{3.3000000000000003, u"3.3"},
         }) {
        EXPECT_EQ(FloatToStr(row.value), UnicodeString(row.text)) << row.value;
    }
}

TEST(FloatToStr, UsesTheDecimalSeparatorOfTheSettings) {
    SeparatorGuard comma(u',');
    EXPECT_EQ(FloatToStr(1.5), UnicodeString(u"1,5"));
    EXPECT_EQ(FloatToStr(-0.25), UnicodeString(u"-0,25"));
    EXPECT_EQ(FloatToStr(2.5e-9), UnicodeString(u"2,5E-9"));
    EXPECT_EQ(FloatToStr(7), UnicodeString(u"7"));
}

TEST(StrToInt, ReadsDecimalAndHexadecimalIntegers) {
    struct Row {
        const char16_t* text;
        int value;
    };
    for (const Row& row : {
             Row{u"0", 0},
             Row{u"1000", 1000},
             Row{u"-0", 0},
             Row{u"+17", 17},
             Row{u"  42", 42},
             Row{u"0000000001", 1},
             Row{u"2147483647", 2147483647},
             Row{u"-2147483648", -2147483647 - 1},
             Row{u"$FF", 255},
             Row{u"0x10", 16},
             Row{u"$FFFFFFFF", -1},
         }) {
        EXPECT_EQ(StrToInt(row.text), row.value) << UnicodeString(row.text).ToUtf8();
    }
}

TEST(StrToInt, RefusesWhatIsNoIntegerWithEConvertError) {
    for (const char16_t* text : {u"", u" ", u"-", u"12 ", u"1e3", u"12a", u"2147483648", u"-2147483649", u"$",
                                 u"0x", u"$100000000", u"１２", u"1.0"}) {
        EXPECT_THROW(StrToInt(text), EConvertError) << UnicodeString(text).ToUtf8();
    }
    try {
        StrToInt(u"abc");
        FAIL();
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), UnicodeString(u"'abc' is not a valid integer value"));
    }
}

TEST(UnicodeString, Utf8RoundTripAndPositions) {
    UnicodeString text = UnicodeString::FromUtf8("Порт 𝄞 (COM3)");
    EXPECT_EQ(text.Length(), 14); // the clef is a surrogate pair
    EXPECT_EQ(text.ToUtf8(), "Порт 𝄞 (COM3)");
    EXPECT_EQ(text.Pos(u"(COM"), 9);
    EXPECT_EQ(text.Pos(u"COM4"), 0);
    EXPECT_EQ(text.SubString(10, 4), UnicodeString(u"COM3"));
    EXPECT_EQ(text.SubString(13, 100), UnicodeString(u"3)"));
    EXPECT_EQ(UnicodeString::FromUtf8("a\xFF"
                                      "b\xC3")
                  .ToUtf8(),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(UnicodeString(std::u16string(1, u'\xD800')).ToUtf8(), "\xEF\xBF\xBD");
}

} // namespace

TEST(UnicodeStringSprintf, PrintfFormsOfTheValuesShown) {
    EXPECT_EQ(UnicodeString().sprintf("%u", 4294967295u), UnicodeString(u"4294967295"));
    EXPECT_EQ(UnicodeString().sprintf("%hu", 70000u), UnicodeString(u"4464"));
    EXPECT_EQ(UnicodeString().sprintf("%i", -74), UnicodeString(u"-74"));
    EXPECT_EQ(UnicodeString().sprintf("%s%c", "Ошибка команды ", 'W'), UnicodeString(u"Ошибка команды W"));
    UnicodeString text(u"old");
    EXPECT_EQ(&text.sprintf("%s", ""), &text);
    EXPECT_TRUE(text.IsEmpty());
}
