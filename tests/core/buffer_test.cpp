#include "core/buffer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "core/tstring.h"

namespace {

TEST(Buffer, GrowsByDoublingFromHundredBytes) {
    Buffer buffer;
    EXPECT_EQ(buffer.data, nullptr);
    EXPECT_EQ(buffer.capacity, 0u);
    std::string expected;
    for (int i = 0; i < 101; ++i) {
        char byte = static_cast<char>('a' + i % 26);
        buffer.Append(&byte, 1);
        expected += byte;
        if (i == 0) {
            EXPECT_EQ(buffer.capacity, 100u);
        }
    }
    EXPECT_EQ(buffer.capacity, 200u);
    EXPECT_EQ(buffer.size, 101u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data), buffer.size), expected);

    Buffer large;
    std::string block(250, 'x');
    large.Append(block.data(), 250);
    EXPECT_EQ(large.capacity, 400u);
    large.Append(reinterpret_cast<const std::uint8_t*>(block.data()), 0u);
    EXPECT_EQ(large.size, 250u);
}

TEST(Buffer, ReAllocMovesBytesToOffsetAndRefusesOverrun) {
    Buffer buffer;
    buffer.Append("abc", 3);
    buffer.ReAlloc(10, 2);
    EXPECT_EQ(buffer.capacity, 100u);
    EXPECT_EQ(buffer.size, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data) + 2, 3), "abc");

    std::uint8_t* before = buffer.data;
    EXPECT_THROW(buffer.ReAlloc(4, 2), std::length_error); // 2 + 3 bytes do not fit in 4
    EXPECT_THROW(buffer.ReAlloc(10, -1), std::length_error);
    EXPECT_THROW(buffer.Append("x", -1), std::length_error);
    EXPECT_EQ(buffer.data, before);
    EXPECT_EQ(buffer.size, 3u);
}

TEST(PercentDecode, DecodesEscapesAndKeepsPlus) {
    EXPECT_EQ(TString(std::string("%D0%94a%2b+"), CodePagePercent), u"Дa++");
    EXPECT_EQ(TString(std::string("%d0%94"), CodePagePercent), u"Д");
    EXPECT_EQ(TString(std::string(), CodePagePercent), u"");
    EXPECT_EQ(TString(std::string("plain text"), CodePagePercent), u"plain text");
    // Long input crosses several buffer growths.
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "%41";
    EXPECT_EQ(TString(many, CodePagePercent), TString::Base(300, u'A'));

    TString text(u"old");
    text.PercentDecode("new%21");
    EXPECT_EQ(text, u"new!");
}

TEST(PercentDecode, IncompleteOrNonHexEscapesStayAsTheyAre) {
    const std::pair<const char*, const char16_t*> rows[] = {
        {"%", u"%"},     {"a%", u"a%"},     {"%4", u"%4"},   {"%4g", u"%4g"},
        {"%zz", u"%zz"}, {"100%", u"100%"}, {"%%41", u"%A"}, {"%G1%31", u"%G11"},
    };
    for (const auto& [bytes, text] : rows)
        EXPECT_EQ(TString(std::string(bytes), CodePagePercent), text) << bytes;
    // Decoded bytes that are not UTF-8 fall back to the conversion's substitution.
    EXPECT_EQ(TString(std::string("%FF"), CodePagePercent), u"\uFFFD");
}

TEST(PercentDecode, HexDigitValue) {
    const std::string digits = "0123456789abcdefABCDEF";
    const int values[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 10, 11, 12, 13, 14, 15};
    for (std::size_t i = 0; i < digits.size(); ++i)
        EXPECT_EQ(HexDigitValue(digits[i]), values[i]) << digits[i];
    for (char other : {'g', 'G', '/', ':', '@', '`', '%', '\0'})
        EXPECT_EQ(HexDigitValue(other), -1);
}

} // namespace
