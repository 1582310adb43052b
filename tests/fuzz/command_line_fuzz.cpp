// Fuzz links: configurator vcl_headless win32
// Both command-line splitters. The C runtime's split gives back any list of arguments quoted as a
// Windows program quotes them, so also the words of any text; the program name readings are
// pieces of the line itself; and the window program's split gives the runs of non-blanks, in
// place, in order.

#include <algorithm>
#include <string>
#include <vector>

#include "configurator/startup.h"
#include "platform/win32/command_line.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using Words = std::vector<std::u16string>;

// Bytes up to 0x7F are their ASCII characters, higher ones characters past Latin (Cyrillic and
// on), so every unit the splitters look for is one byte away.
std::u16string Text(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i < size; ++i)
        text += static_cast<char16_t>(data[i] < 0x80 ? data[i] : 0x380 + data[i]);
    return text;
}

// An argument as a Windows program writes it for the C runtime to read back.
std::u16string Quote(const std::u16string& word) {
    if (!word.empty() && word.find_first_of(u" \t\"") == std::u16string::npos) return word;
    std::u16string quoted = u"\"";
    std::size_t backslashes = 0;
    for (char16_t c : word) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == u'"' ? 2 * backslashes + 1 : backslashes, u'\\');
        backslashes = 0;
        quoted += c;
    }
    return quoted.append(2 * backslashes, u'\\') + u'"';
}

void CheckRoundTrip(const Words& words) {
    std::u16string line;
    for (const auto& word : words)
        line += (line.empty() ? u"" : u" ") + Quote(word);
    FUZZ_CHECK(win32::SplitArguments(line) == words);
}

// Arguments that may hold blanks, quotes and backslashes: the text cut at every '|'.
Words Pieces(const std::u16string& text) {
    Words pieces(1);
    for (char16_t c : text) {
        if (c == u'|')
            pieces.emplace_back();
        else
            pieces.back() += c;
    }
    return pieces;
}

void CheckProgramParts(const std::u16string& line) {
    std::size_t start = line.find_first_not_of(u" \t");
    std::size_t previousEnd = 0;
    for (const auto& part : win32::ProgramParts(line)) {
        FUZZ_CHECK(start != std::u16string::npos && part.end <= line.size() && part.end > previousEnd);
        previousEnd = part.end;
        if (line[start] == u'"') {
            FUZZ_CHECK(line.compare(start + 1, part.name.size(), part.name) == 0);
            FUZZ_CHECK(part.name.find(u'"') == std::u16string::npos);
            continue;
        }
        FUZZ_CHECK(line.compare(start, part.end - start, part.name) == 0 && !part.name.empty());
        FUZZ_CHECK(part.end == line.size() || line[part.end] == u' ' || line[part.end] == u'\t');
        FUZZ_CHECK(part.name.find(u'"') == std::u16string::npos);
    }
}

// The window program's words: split in place at every U+0020, nothing else.
void CheckWindowSplit(std::u16string text) {
    text = text.substr(0, text.find(u'\0'));
    Words expected;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = std::min(text.find(u' ', at), text.size());
        if (end > at) expected.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    std::u16string line = text;
    CommandLineWords.clear();
    SplitCommandLine(line.data());
    Words words;
    for (const WCHAR* word : CommandLineWords) {
        FUZZ_CHECK(word >= line.data() && word < line.data() + line.size());
        words.emplace_back(word);
    }
    FUZZ_CHECK(words == expected);
    CommandLineWords.clear(); // they point into this text
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text = Text(data, size);
    Words words = win32::SplitArguments(text);
    for (const auto& word : words)
        FUZZ_CHECK(!word.empty() || text.find(u'"') != std::u16string::npos);
    CheckRoundTrip(words);
    CheckRoundTrip(Pieces(text));
    CheckProgramParts(text);
    CheckWindowSplit(text);
    return 0;
}
