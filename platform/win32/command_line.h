#pragma once
// Reading a Windows command line the way CreateProcessW and a child's C runtime read it, and
// finding the program it names on this system.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win32 {

// One way to read the program name at the start of a command line: the name and where the
// arguments begin.
struct ProgramPart {
    std::u16string name;
    std::size_t end;
};

// A quoted first word is the name up to its closing quote. An unquoted one is tried as the text
// up to the first blank, then up to each later blank ("C:\Program Files\x.exe" without quotes),
// shortest first, as CreateProcess does.
std::vector<ProgramPart> ProgramParts(std::u16string_view line);

// The arguments as a C runtime splits them: blanks and tabs separate words; "..." groups;
// 2n backslashes before a quote give n backslashes and the quote groups, 2n+1 give n and a literal
// quote; "" inside a group is a literal quote; other backslashes are literal.
std::vector<std::u16string> SplitArguments(std::u16string_view text);

// The program file as UTF-8, or nothing. Backslashes become '/'; "X.exe" is found as "X.exe" or,
// since Linux programs carry no extension, as "X". A name with a folder is taken relative to the
// current folder; a bare name is looked for, when `search` is set, beside the running program,
// in the current folder and along PATH.
std::optional<std::string> FindProgram(std::u16string_view name, bool search);

} // namespace win32
