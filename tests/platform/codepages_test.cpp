#include "platform/win32/codepages.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <string>

namespace {

// glibc's own tables serve as the reference; a character iconv refuses gives null.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : handle(iconv_open(to, from)) {}
    ~Iconv() {
        if (handle != reinterpret_cast<iconv_t>(-1)) iconv_close(handle);
    }
    bool Open() const { return handle != reinterpret_cast<iconv_t>(-1); }
    std::optional<std::string> Convert(std::string input) {
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        char out[16];
        char* in = input.data();
        char* outPosition = out;
        std::size_t inLeft = input.size(), outLeft = sizeof out;
        if (iconv(handle, &in, &inLeft, &outPosition, &outLeft) == static_cast<std::size_t>(-1))
            return std::nullopt;
        return std::string(out, outPosition);
    }

  private:
    iconv_t handle;
};

std::string Utf16Bytes(WCHAR unit) {
    return {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
}

struct Decoded {
    int result;
    WCHAR unit;
    DWORD error;
};

Decoded DecodeByte(UINT page, unsigned char byte, DWORD flags) {
    char in = static_cast<char>(byte);
    WCHAR out = 0;
    SetLastError(0);
    int result = MultiByteToWideChar(page, flags, &in, 1, &out, 1);
    return {result, out, GetLastError()};
}

std::string EncodeUnit(UINT page, WCHAR unit, BOOL& usedDefault) {
    char out[4] = {};
    int result = WideCharToMultiByte(page, 0, &unit, 1, out, sizeof out, nullptr, &usedDefault);
    return std::string(out, static_cast<std::size_t>(result));
}

void CheckAgainstIconv(UINT page, const char* name) {
    Iconv toWide("UTF-16LE", name), toNarrow(name, "UTF-16LE");
    ASSERT_TRUE(toWide.Open() && toNarrow.Open()) << name;
    for (unsigned byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(testing::Message() << name << " byte " << byte);
        auto expected = toWide.Convert(std::string(1, static_cast<char>(byte)));
        Decoded strict = DecodeByte(page, static_cast<unsigned char>(byte), MB_ERR_INVALID_CHARS);
        if (!expected) {
            EXPECT_EQ(strict.result, 0);
            EXPECT_EQ(strict.error, ERROR_NO_UNICODE_TRANSLATION);
            // Without the flag the byte survives as a control character and writes back unchanged.
            Decoded lenient = DecodeByte(page, static_cast<unsigned char>(byte), 0);
            ASSERT_EQ(lenient.result, 1);
            EXPECT_EQ(lenient.unit, byte);
            continue;
        }
        ASSERT_EQ(strict.result, 1);
        EXPECT_EQ(Utf16Bytes(strict.unit), *expected);
    }
    // Every BMP character the other way: iconv's byte, or the default character where it has none.
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) continue;
        SCOPED_TRACE(testing::Message() << name << " U+" << std::hex << unit);
        auto expected = toNarrow.Convert(Utf16Bytes(static_cast<WCHAR>(unit)));
        Decoded lenient = DecodeByte(page, static_cast<unsigned char>(unit), 0);
        bool undefinedByte = unit >= 0x80 && unit < 0x100 && !expected && lenient.unit == unit;
        BOOL usedDefault = -1;
        std::string bytes = EncodeUnit(page, static_cast<WCHAR>(unit), usedDefault);
        if (expected) {
            EXPECT_EQ(bytes, *expected);
            EXPECT_EQ(usedDefault, FALSE);
        } else if (!undefinedByte) {
            EXPECT_EQ(bytes, "?");
            EXPECT_EQ(usedDefault, TRUE);
        }
    }
}

TEST(CodePages, SingleBytePagesMatchGlibc) {
    CheckAgainstIconv(1251, "CP1251");
    CheckAgainstIconv(866, "CP866");
}

TEST(CodePages, SizeQueryTerminatorAndShortOutput) {
    const char* text = "\xC4\xE0"; // Да in 1251
    EXPECT_EQ(MultiByteToWideChar(1251, 0, text, 2, nullptr, 0), 2);
    EXPECT_EQ(MultiByteToWideChar(1251, 0, text, -1, nullptr, 0), 3);
    WCHAR wide[3] = {1, 1, 1};
    EXPECT_EQ(MultiByteToWideChar(1251, 0, text, -1, wide, 3), 3);
    EXPECT_EQ(std::u16string(wide, 3), std::u16string(u"Да\0", 3));

    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(1251, 0, text, -1, wide, 2), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

    char narrow[8] = {};
    EXPECT_EQ(WideCharToMultiByte(65001, 0, u"Да", -1, nullptr, 0, nullptr, nullptr), 5);
    EXPECT_EQ(WideCharToMultiByte(65001, 0, u"Да", -1, narrow, 5, nullptr, nullptr), 5);
    EXPECT_STREQ(narrow, "\xD0\x94\xD0\xB0");
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(65001, 0, u"Да", 2, narrow, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    // Explicit lengths carry embedded NULs through.
    EXPECT_EQ(WideCharToMultiByte(1251, 0, u"A\0B", 3, narrow, 8, nullptr, nullptr), 3);
    EXPECT_EQ(std::string(narrow, 3), std::string("A\0B", 3));
}

TEST(CodePages, BadArgumentsFailWithTheirErrors) {
    WCHAR wide[4];
    char narrow[4];
    auto failsWith = [](int result, DWORD error) { return result == 0 && GetLastError() == error; };
    EXPECT_TRUE(failsWith(MultiByteToWideChar(1251, 0, "a", 0, wide, 4), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(failsWith(MultiByteToWideChar(1251, 0, nullptr, 1, wide, 4), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(failsWith(MultiByteToWideChar(1251, 0, "a", -2, wide, 4), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(failsWith(MultiByteToWideChar(1251, 0, "a", 1, nullptr, 4), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(failsWith(MultiByteToWideChar(1251, 0, "a", 1, wide, -1), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(failsWith(MultiByteToWideChar(437, 0, "a", 1, wide, 4), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(failsWith(MultiByteToWideChar(1251, 0x1, "a", 1, wide, 4), ERROR_INVALID_FLAGS));
    EXPECT_TRUE(failsWith(WideCharToMultiByte(1200, 0, u"a", 1, narrow, 4, nullptr, nullptr),
                          ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(
        failsWith(WideCharToMultiByte(1251, WC_ERR_INVALID_CHARS, u"a", 1, narrow, 4, nullptr, nullptr),
                  ERROR_INVALID_FLAGS));
    BOOL used;
    EXPECT_TRUE(
        failsWith(WideCharToMultiByte(65001, 0, u"a", 1, narrow, 4, "?", nullptr), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(failsWith(WideCharToMultiByte(65001, 0, u"a", 1, narrow, 4, nullptr, &used),
                          ERROR_INVALID_PARAMETER));
}

TEST(CodePages, SystemPagesAndDefaultCharacter) {
    WCHAR wide[2];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xC4", 1, wide, 2), 1);
    EXPECT_EQ(wide[0], u'Д');
    EXPECT_EQ(MultiByteToWideChar(CP_OEMCP, 0, "\x84", 1, wide, 2), 1);
    EXPECT_EQ(wide[0], u'Д');

    char narrow[4] = {};
    BOOL used = FALSE;
    EXPECT_EQ(WideCharToMultiByte(1251, 0, u"中Д", 2, narrow, 4, "*", &used), 2);
    EXPECT_EQ(std::string(narrow, 2), "*\xC4");
    EXPECT_EQ(used, TRUE);
    EXPECT_EQ(WideCharToMultiByte(866, WC_NO_BEST_FIT_CHARS, u"Д", 1, narrow, 4, nullptr, &used), 1);
    EXPECT_EQ(narrow[0], '\x84');
    EXPECT_EQ(used, FALSE);
}

TEST(CodePages, Utf8IllFormedInputSubstitutesOrFails) {
    auto decode = [](std::string bytes, DWORD flags) {
        WCHAR out[16];
        int n = MultiByteToWideChar(65001, flags, bytes.data(), static_cast<int>(bytes.size()), out, 16);
        return std::u16string(out, static_cast<std::size_t>(n > 0 ? n : 0));
    };
    EXPECT_EQ(decode("\xF0\x9F\x98\x80", 0), u"\U0001F600"); // a surrogate pair
    EXPECT_EQ(decode("a\xFF"
                     "b",
                     0),
              u"a\uFFFDb");
    EXPECT_EQ(decode("\xC0\xAF", 0), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(decode("\xE2\x82", 0), u"\uFFFD\uFFFD"); // cut short at the end
    SetLastError(0);
    EXPECT_EQ(decode("a\xFF"
                     "b",
                     MB_ERR_INVALID_CHARS),
              u"");
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);

    auto encode = [](std::u16string text, DWORD flags) {
        char out[16];
        int n = WideCharToMultiByte(65001, flags, text.data(), static_cast<int>(text.size()), out, 16,
                                    nullptr, nullptr);
        return std::string(out, static_cast<std::size_t>(n > 0 ? n : 0));
    };
    EXPECT_EQ(encode(u"\U0001F600", 0), "\xF0\x9F\x98\x80");
    EXPECT_EQ(encode(std::u16string(1, 0xD800) + u"a", 0), "\xEF\xBF\xBD"
                                                           "a");
    EXPECT_EQ(encode(std::u16string(1, 0xDC00), 0), "\xEF\xBF\xBD");
    SetLastError(0);
    EXPECT_EQ(encode(std::u16string(1, 0xD800), WC_ERR_INVALID_CHARS), "");
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

} // namespace
