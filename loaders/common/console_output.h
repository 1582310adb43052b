#pragma once
// The loaders' console messages: a code page 1251 text converted for the console into `oemText`
// and written to standard output.

#include <cstddef>

#include "loaders/common/messages.h"
#include "platform/win32/console.h"

// Room for the longest message at the worst growth of the conversion (three UTF-8 bytes per byte).
inline constexpr std::size_t OemTextSize = loaders::messages::LongestMessage * win32::OemBytesPerChar + 1;
extern char oemText[OemTextSize];

namespace loaders {

// Converts the 1251 text into `oemText` and writes it. A text too long for `oemText` is cut at
// a character boundary of the source rather than overrunning it.
void WriteText(const char* text1251);
// The text and an end of line.
void WriteLine(const char* text1251);
// An end of line, the text, and two ends of line: the layout of the transfer's closing messages.
void WriteSpaced(const char* text1251);

template <std::size_t N> void WriteText(const Cp1251Text<N>& text) {
    WriteText(text.c_str());
}
template <std::size_t N> void WriteLine(const Cp1251Text<N>& text) {
    WriteLine(text.c_str());
}
template <std::size_t N> void WriteSpaced(const Cp1251Text<N>& text) {
    WriteSpaced(text.c_str());
}

} // namespace loaders
