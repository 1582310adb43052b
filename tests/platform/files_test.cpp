#include "platform/win32/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

#include "platform/win32/last_error.h"
#include "platform/win32/utf.h"

namespace {

struct TempFolder {
    std::string path;
    TempFolder() {
        char pattern[] = "/tmp/files_test_XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::u16string Wide(const std::string& name) const { return *win32::Utf8ToUtf16(path + "/" + name); }
};

TEST(Files, WriteReadSizeTimeAndDelete) {
    TempFolder folder;
    std::u16string name = folder.Wide("данные.bin");
    HANDLE out =
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(out, "hello", 5, &done, nullptr));
    EXPECT_EQ(done, 5u);
    EXPECT_TRUE(CloseHandle(out));

    HANDLE in = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(in, &high), 5u);
    EXPECT_EQ(high, 0u);
    char buffer[16] = {};
    EXPECT_TRUE(ReadFile(in, buffer, sizeof buffer, &done, nullptr)); // short read at end of file
    EXPECT_EQ(done, 5u);
    EXPECT_EQ(std::string(buffer), "hello");

    FILETIME written{};
    EXPECT_TRUE(GetFileTime(in, nullptr, nullptr, &written));
    unsigned long long count =
        (static_cast<unsigned long long>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    long long unixSeconds = static_cast<long long>(count / 10000000ULL) - 11644473600LL;
    EXPECT_LE(std::llabs(unixSeconds - static_cast<long long>(std::time(nullptr))), 5);
    EXPECT_TRUE(CloseHandle(in));

    EXPECT_TRUE(DeleteFileW(name.c_str()));
    SetLastError(0);
    EXPECT_EQ(CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFileW(name.c_str()));
}

TEST(Files, RefusesFoldersAndBadHandles) {
    TempFolder folder;
    std::u16string self = *win32::Utf8ToUtf16(folder.path);
    EXPECT_EQ(CreateFileW(self.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(INVALID_HANDLE_VALUE, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    DWORD done = 9;
    char byte;
    EXPECT_FALSE(ReadFile(nullptr, &byte, 1, &done, nullptr));
    EXPECT_EQ(done, 0u);
}

TEST(Files, ModuleFileNameIsThisProgram) {
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::u16string text(path, length);
    EXPECT_EQ(text.front(), u'/');
    EXPECT_NE(text.find(u"platform_tests"), std::u16string::npos);

    WCHAR tiny[4];
    EXPECT_EQ(GetModuleFileNameW(nullptr, tiny, 4), 4u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(tiny[3], 0);
}

TEST(Utf, RoundTripsAndRefusesIllFormedInput) {
    std::u16string text = u"Да \U0001F600 x";
    auto bytes = win32::Utf16ToUtf8(text);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, "Да \xF0\x9F\x98\x80 x");
    EXPECT_EQ(win32::Utf8ToUtf16(*bytes), text);

    for (std::string bad :
         {"\xC0\xAF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xD0", "\x80", "a\xE2\x82"})
        EXPECT_FALSE(win32::Utf8ToUtf16(bad)) << bad.size();
    EXPECT_FALSE(win32::Utf16ToUtf8(std::u16string(1, char16_t(0xD800))));
    EXPECT_FALSE(win32::Utf16ToUtf8(std::u16string(1, char16_t(0xDC00)) + u"a"));
    EXPECT_EQ(win32::PathToUtf8(std::u16string(1, char16_t(0xD800)).c_str()), "\xEF\xBF\xBD");
}

} // namespace
