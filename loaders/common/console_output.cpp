#include "loaders/common/console_output.h"

#include <cstdio>
#include <cstring>

char oemText[OemTextSize];

namespace loaders {

void WriteText(const char* text1251) {
    constexpr std::size_t fits = (OemTextSize - 1) / win32::OemBytesPerChar;
    char source[fits + 1];
    std::strncpy(source, text1251, fits);
    source[fits] = '\0';
    if (!CharToOemA(source, oemText)) return;
    std::fputs(oemText, stdout);
    std::fflush(stdout);
}

void WriteLine(const char* text1251) {
    WriteText(text1251);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

void WriteSpaced(const char* text1251) {
    std::fputs("\n", stdout);
    WriteText(text1251);
    std::fputs("\n\n", stdout);
    std::fflush(stdout);
}

} // namespace loaders
