#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_read.h"
#include "core/module_path.h"
#include "platform/win32/utf.h"
#include "tests/support/current_folder.h"

namespace {

using testing_support::TemporaryCurrentFolder;

TString Wide(const std::string& utf8) {
    return TString(TString::Base(*win32::Utf8ToUtf16(utf8)));
}

TEST(ModulePath, FolderAndFileNameOfTheRunningProgram) {
    std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(GetModulePath(true), Wide(exe.substr(0, exe.rfind('/'))));
    EXPECT_EQ(GetModulePath(false), Wide(exe.substr(exe.rfind('/') + 1)));
}

TEST(FileExists, PresenceLastWriteAndTheUncreatableProbe) {
    TemporaryCurrentFolder folder;
    folder.Write("present.txt", "x");
    // 2020-01-02 03:04:05.5 UTC as the file's last-write time.
    timespec times[2] = {{1577934245, 500000000}, {1577934245, 500000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, "present.txt", times, 0), 0);
    TimeValue written(1, 1);
    EXPECT_TRUE(FileExists(u"present.txt", false, &written));
    EXPECT_EQ(written.Count(), MakeDate(2020, 1, 2).Count() + 11045ULL * 10000000ULL + 5000000ULL);
    EXPECT_TRUE(FileExists(Wide(folder.Path() + "/present.txt")));

    TimeValue untouched(7, 7);
    EXPECT_FALSE(FileExists(u"missing.txt", false, &untouched));
    EXPECT_EQ(untouched.Count(), TimeValue(7, 7).Count());
    EXPECT_FALSE(FileExists(u"missing.txt", true, nullptr));
    EXPECT_FALSE(std::filesystem::exists("missing.txt")) << "the probe leaves no file behind";

    ASSERT_EQ(mkdir("taken", 0755), 0);
    EXPECT_FALSE(FileExists(u"taken", false, nullptr)); // a folder does not open as a file
    EXPECT_TRUE(FileExists(u"taken", true, nullptr));   // ... and cannot be created: taken
    EXPECT_TRUE(FileExists(u"no-such-folder/file.txt", true, nullptr));
}

// The probe for an uncreatable name must not empty and delete a file that exists but cannot be
// read. Root reads every file, so the check runs in a child that gives up root first.
TEST(FileExists, ProbeNeverEmptiesAnUnreadableFile) {
    TemporaryCurrentFolder folder;
    ASSERT_EQ(chmod(".", 0777), 0);
    auto probe = [] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        std::FILE* file = std::fopen("secret.txt", "w");
        if (!file || std::fputs("keep me", file) < 0 || std::fclose(file) != 0) _exit(3);
        if (chmod("secret.txt", 0200) != 0) _exit(4);
        bool taken = FileExists(u"secret.txt", true, nullptr);
        chmod("secret.txt", 0600);
        struct stat info {};
        _exit(taken && stat("secret.txt", &info) == 0 && info.st_size == 7 ? 0 : 1);
    };
    EXPECT_EXIT(probe(), testing::ExitedWithCode(0), "");
}

TEST(ReadWholeFile, ReserveSizeAndMissingFiles) {
    TemporaryCurrentFolder folder;
    folder.Write("data.bin", std::string("\x01\x00\x02", 3));
    unsigned size = 99;
    std::unique_ptr<std::uint8_t[]> block(ReadWholeFile(u"data.bin", &size, 4));
    ASSERT_TRUE(block);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(block[4], 1);
    EXPECT_EQ(block[5], 0);
    EXPECT_EQ(block[6], 2);

    folder.Write("empty.bin", "");
    for (const char16_t* name : {u"empty.bin", u"missing.bin", u"."}) {
        size = 99;
        EXPECT_EQ(ReadWholeFile(name, &size, 0), nullptr) << static_cast<int>(name[0]);
        EXPECT_EQ(size, 0u);
    }
    // The block's size is 32 bits: a reserve that would wrap it around is refused.
    size = 99;
    EXPECT_EQ(ReadWholeFile(u"data.bin", &size, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(ReadWholeFile, ShortReadGivesOnlyWhatArrived) {
    // sysfs reports a whole page as the size of a short text.
    const char* path = "/sys/devices/system/cpu/online";
    struct stat info {};
    if (stat(path, &info) != 0 || info.st_size != 4096) GTEST_SKIP() << "no sysfs page file here";
    std::string content;
    {
        std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "rb"), std::fclose);
        for (int c; (c = std::fgetc(file.get())) != EOF;)
            content += static_cast<char>(c);
    }
    ASSERT_LT(content.size(), 4096u);
    unsigned size = 0;
    std::unique_ptr<std::uint8_t[]> block(ReadWholeFile(Wide(path), &size, 2));
    ASSERT_TRUE(block);
    EXPECT_EQ(size, content.size());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block.get()) + 2, size), content);
}

TEST(ReadTextFile, ByteOrderMarksOnlyForTheirOwnCodePage) {
    TemporaryCurrentFolder folder;
    folder.Write("bom8.txt", "\xEF\xBB\xBF");
    EXPECT_EQ(ReadTextFile(u"bom8.txt", 65001), u"");
    EXPECT_EQ(ReadTextFile(u"bom8.txt", 1251).size(), 3u);
    folder.Write("utf8.txt", "\xEF\xBB\xBF\xD0\x94\xD0\xB0");
    EXPECT_EQ(ReadTextFile(u"utf8.txt", 65001), u"Да");
    folder.Write("nobom.txt", "\xD0\x94");
    EXPECT_EQ(ReadTextFile(u"nobom.txt", 65001), u"Д");
    folder.Write("bom16.txt", std::string("\xFF\xFE\x14\x04\x30\x04", 6));
    EXPECT_EQ(ReadTextFile(u"bom16.txt", 1200), u"Да");
    EXPECT_EQ(ReadTextFile(u"bom16.txt", 1251).size(), 6u) << "FF FE is skipped only for 1200";
    folder.Write("short.txt", "\xEF\xBB");
    EXPECT_EQ(ReadTextFile(u"short.txt", 1251), u"\u043F\u00BB") << "too short for a mark: read as it is";
    folder.Write("cp1251.txt", "\xC4\xE0");
    EXPECT_EQ(ReadTextFile(u"cp1251.txt", 1251), u"Да");
    EXPECT_EQ(ReadTextFile(u"missing.txt", 1251), u"");
}

} // namespace
