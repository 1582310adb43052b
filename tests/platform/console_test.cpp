#include "platform/win32/console.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/keyboard_pipe.h"

namespace {

// Sets LC_ALL, LC_CTYPE and LANG for the life of the guard and puts the old values back.
class LocaleEnvironment {
  public:
    LocaleEnvironment(const char* all, const char* ctype, const char* lang) {
        Set("LC_ALL", all);
        Set("LC_CTYPE", ctype);
        Set("LANG", lang);
    }
    ~LocaleEnvironment() {
        for (auto& [name, value] : saved) {
            if (value.first)
                setenv(name.c_str(), value.second.c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

  private:
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved.emplace_back(name, std::make_pair(old != nullptr, old ? std::string(old) : std::string()));
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    std::vector<std::pair<std::string, std::pair<bool, std::string>>> saved;
};

std::string Oem(const std::string& text1251) {
    char converted[256] = {};
    EXPECT_TRUE(CharToOemA(text1251.c_str(), converted));
    return converted;
}

TEST(CharToOem, FollowsTheLocalesCharacterSet) {
    // "Файл" in code page 1251, and the letters with the widest spread: А, я, Ё, ё.
    const std::string file1251 = "\xD4\xE0\xE9\xEB";
    const std::string letters1251 = "\xC0\xFF\xA8\xB8 ok";
    {
        LocaleEnvironment utf8(nullptr, nullptr, "ru_RU.UTF-8");
        EXPECT_EQ(Oem(file1251), "Файл");
        EXPECT_EQ(Oem(letters1251), "АяЁё ok");
    }
    {
        LocaleEnvironment cp866(nullptr, nullptr, "ru_RU.CP866");
        EXPECT_EQ(Oem(file1251), "\x94\xA0\xA9\xAB");
        EXPECT_EQ(Oem(letters1251), "\x80\xEF\xF0\xF1 ok");
    }
    {
        // LC_ALL wins over LANG; an empty variable counts as unset.
        LocaleEnvironment both("ru_RU.IBM866@euro", nullptr, "ru_RU.UTF-8");
        EXPECT_EQ(Oem(file1251), "\x94\xA0\xA9\xAB");
        LocaleEnvironment empty("", "", "C.UTF-8");
        EXPECT_EQ(Oem(file1251), "Файл");
        LocaleEnvironment none(nullptr, nullptr, nullptr);
        EXPECT_EQ(Oem(file1251), "Файл") << "terminals of today read UTF-8";
    }
    char inPlace[16] = "\xC4\xD3\xD2";
    LocaleEnvironment utf8(nullptr, nullptr, "C.UTF-8");
    EXPECT_TRUE(CharToOemA(inPlace, inPlace));
    EXPECT_STREQ(inPlace, "ДУТ");
    EXPECT_FALSE(CharToOemA(nullptr, inPlace));
}

TEST(ConsoleKeys, PipedBytesAreKeysAndNoKeyIsHeld) {
    testing_support::InstallKeyboardPipe();
    while (_kbhit())
        _getch();
    EXPECT_EQ(_kbhit(), 0);
    for (char key : {'f', 'F', char(27), 'q'})
        testing_support::TypeIntoStdin(key);
    for (int expected : {int('f'), int('F'), 27, int('q')}) {
        EXPECT_NE(_kbhit(), 0);
        EXPECT_EQ(_kbhit(), 1) << "asking again does not use the key up";
        EXPECT_EQ(_getch(), expected);
    }
    EXPECT_EQ(_kbhit(), 0);
    EXPECT_EQ(GetKeyState(VK_ESCAPE) & 0x80, 0);
}

} // namespace
