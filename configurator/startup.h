#pragma once
// Program start: the command line's words and the entry that creates the window and runs it.

#include <vector>

#include "platform/win32/types.h"

using HINSTANCE = void*;

// The words of the command line in order: views into the one writable copy of its text, whose
// blanks the splitter turned into terminators. Word 0, when present, is the port selection (the
// access word is taken out first).
extern std::vector<WCHAR*> CommandLineWords;

// Splits the text in place: every blank (U+0020, nothing else) becomes a terminator, and each run
// of other characters is one word. Quotes and tabs are ordinary characters.
void SplitCommandLine(WCHAR* commandLine);

// Splits the command line, then Initialize, MainFormOnTaskBar, CreateForm of TForm1 into Form1 and
// Run. An exception that reaches it is shown with ShowException; the result is 0 on every path.
int wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);

// The word that, standing first on the command line, shows the engineering panel.
inline constexpr const WCHAR* AccessWord = u"velmarosk";
