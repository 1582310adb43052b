#include "platform/win32/folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32/last_error.h"
#include "tests/support/current_folder.h"

namespace {

std::u16string Wide(const std::filesystem::path& path) {
    return path.u16string();
}

// Folders are made below the temporary current folder, through absolute paths.
struct Scratch {
    testing_support::TemporaryCurrentFolder current;
    std::filesystem::path Path() const { return current.Path(); }
};

TEST(CreateDirectory, MakesTheWholeChainAndTellsAnExistingFolder) {
    Scratch temp;
    std::filesystem::path deep = temp.Path() / "a" / "b" / "ZNTK";
    EXPECT_EQ(SHCreateDirectoryExW(nullptr, Wide(deep).c_str(), nullptr), 0);
    EXPECT_TRUE(std::filesystem::is_directory(deep));
    EXPECT_EQ(SHCreateDirectoryExW(nullptr, Wide(deep).c_str(), nullptr), 183);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);

    std::u16string backslashes = Wide(temp.Path()) + u"\\c\\d\\";
    EXPECT_EQ(SHCreateDirectoryExW(nullptr, backslashes.c_str(), nullptr), 0);
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path() / "c" / "d"));
}

TEST(CreateDirectory, FailsBelowAFileAndForAnEmptyPath) {
    Scratch temp;
    temp.current.Write("plain", "x");
    std::filesystem::path file = temp.Path() / "plain";
    int result = SHCreateDirectoryExW(nullptr, Wide(file / "sub").c_str(), nullptr);
    EXPECT_NE(result, 0);
    EXPECT_NE(result, 183);
    EXPECT_EQ(static_cast<DWORD>(result), GetLastError());
    EXPECT_NE(SHCreateDirectoryExW(nullptr, Wide(file).c_str(), nullptr), 0); // a file is no folder
    EXPECT_EQ(SHCreateDirectoryExW(nullptr, u"", nullptr), 3);
}

} // namespace
