#pragma once
// Console input and output of the loaders. On a terminal the keys arrive raw and unechoed; from a
// pipe the bytes are read as they stand, so a test can type f, F and Esc.

#include "platform/win32/types.h"

constexpr int VK_ESCAPE = 0x1B;

// Non-zero when a key (a byte of standard input) is waiting. End of input counts as no key.
int _kbhit();
// The next key, waiting for it when none is typed yet; -1 at the end of input.
int _getch();
// Bit 0x80 is set while the key is held down. A terminal only reports characters as they are
// typed, never which keys are down, so this is 0 for every key.
short GetKeyState(int virtualKey);
// Converts a code page 1251 text into the console's character set: UTF-8, or code page 866 where
// the locale names it. `destination` needs room for three bytes per source byte and the
// terminator. Source and destination may be the same buffer.
BOOL CharToOemA(LPCSTR source, LPSTR destination);

namespace win32 {
enum class ConsoleCharset { Utf8, Cp866 };
// The console's character set from LC_ALL, LC_CTYPE and LANG, read as setlocale would.
ConsoleCharset ConsoleCharsetFromEnvironment();
// The worst-case growth of CharToOemA: bytes written per source byte.
constexpr int OemBytesPerChar = 3;
} // namespace win32
