#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "configurator/firmware_launch.h"
#include "tests/support/current_folder.h"

namespace {

TEST(LoaderCommandLine, ModelChoosesLoaderAndTailAndLoaderNameTxtNamesTheProgram) {
    struct Row {
        LoaderModel model;
        std::optional<std::string> loaderNameFile; // bytes of "loader_name.txt"
        const char16_t* port;
        const char16_t* image;
        const char16_t* expected;
    };
    const Row rows[] = {
        {{false, false, false},
         std::nullopt,
         u"COM3",
         u"C:\\fw\\a.enc",
         u"FIRMWARE\\kflasher.exe COM3 \"C:\\fw\\a.enc\""},
        {{false, false, true},
         std::nullopt,
         u"COM5",
         u"D:\\x y\\f.enc",
         u"FIRMWARE\\rflasher.exe COM5 \"D:\\x y\\f.enc\""},
        {{false, true, false},
         std::nullopt,
         u"COM3",
         u"/fw/a.enc",
         u"FIRMWARE\\xflasher.exe COM3 \"/fw/a.enc\" 115200 -e"},
        {{false, true, true},
         std::nullopt,
         u"COM12",
         u"/fw/a.enc",
         u"FIRMWARE\\xflasher.exe COM12 \"/fw/a.enc\" 115200 -e -f"},
        {{true, true, true},
         std::nullopt,
         u"COM2",
         u"/home/u/прошивка 2.enc",
         u"FIRMWARE\\mflasher.exe COM2 \"/home/u/прошивка 2.enc\" 115200 -e -f"},
        {{false, true, true}, "my.exe", u"COM4", u"/a.enc", u"FIRMWARE\\my.exe COM4 \"/a.enc\" 115200 -e -f"},
        {{false, false, false}, "\xEC\xEE\xE9.exe", u"COM3", u"/a.enc", u"FIRMWARE\\мой.exe COM3 \"/a.enc\""},
        {{false, false, true}, "my.exe\r\n", u"COM3", u"/a.enc", u"FIRMWARE\\my.exe COM3 \"/a.enc\""},
        {{false, false, false},
         "my loader\nold.exe\n",
         u"COM3",
         u"/a.enc",
         u"FIRMWARE\\my loader COM3 \"/a.enc\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(UnicodeString(row.expected).ToUtf8());
        testing_support::TemporaryCurrentFolder folder;
        if (row.loaderNameFile) folder.Write("loader_name.txt", *row.loaderNameFile);
        TString command = LoaderCommandLine(ChooseLoader(row.model), TString(row.port), TString(row.image));
        EXPECT_EQ(command, TString(row.expected));
    }
}

} // namespace
