#include "platform/win32/command_line.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/win32/utf.h"

namespace win32 {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool IsRunnable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool EndsWithExe(std::string_view name) {
    if (name.size() < 4) return false;
    std::string_view tail = name.substr(name.size() - 4);
    return tail[0] == '.' && (tail[1] | 0x20) == 'e' && (tail[2] | 0x20) == 'x' && (tail[3] | 0x20) == 'e';
}

std::vector<std::string> NameVariants(const std::string& name) {
    if (EndsWithExe(name)) return {name, name.substr(0, name.size() - 4)};
    return {name};
}

std::vector<std::string> SearchFolders() {
    std::vector<std::string> folders;
    char self[4096];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        std::string path(self, static_cast<std::size_t>(length));
        folders.push_back(path.substr(0, path.rfind('/')));
    }
    folders.push_back(".");
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        std::size_t colon = rest.find(':');
        std::string_view folder = rest.substr(0, colon);
        if (!folder.empty()) folders.emplace_back(folder);
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return folders;
}

} // namespace

std::vector<ProgramPart> ProgramParts(std::u16string_view line) {
    std::size_t start = 0;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    if (start < line.size() && line[start] == u'"') {
        std::size_t close = line.find(u'"', start + 1);
        std::size_t nameEnd = close == std::u16string_view::npos ? line.size() : close;
        std::size_t end = close == std::u16string_view::npos ? line.size() : close + 1;
        return {ProgramPart{std::u16string(line.substr(start + 1, nameEnd - start - 1)), end}};
    }
    std::vector<ProgramPart> parts;
    for (std::size_t i = start; i <= line.size(); ++i) {
        if (i < line.size() && line[i] == u'"') break; // a quote ends the unquoted name's reach
        if (i == line.size() || IsBlank(line[i])) {
            if (i > start) parts.push_back(ProgramPart{std::u16string(line.substr(start, i - start)), i});
        }
    }
    return parts;
}

std::vector<std::u16string> SplitArguments(std::u16string_view text) {
    std::vector<std::u16string> words;
    std::u16string word;
    bool inWord = false, quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\\') {
            std::size_t run = 0;
            while (i < text.size() && text[i] == u'\\')
                ++run, ++i;
            bool beforeQuote = i < text.size() && text[i] == u'"';
            word.append(beforeQuote ? run / 2 : run, u'\\');
            if (beforeQuote && run % 2)
                word += u'"';
            else if (beforeQuote)
                quoted = !quoted;
            if (!beforeQuote) --i;
            inWord = true;
        } else if (c == u'"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == u'"')
                word += u'"', ++i;
            else
                quoted = !quoted;
            inWord = true;
        } else if (IsBlank(c) && !quoted) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

std::optional<std::string> FindProgram(std::u16string_view name, bool search) {
    std::u16string slashed(name);
    for (auto& c : slashed)
        c = c == u'\\' ? u'/' : c;
    std::string path = PathToUtf8(slashed.c_str());
    if (path.empty()) return std::nullopt;
    bool hasFolder = path.find('/') != std::string::npos;
    std::vector<std::string> folders = hasFolder || !search ? std::vector<std::string>{""} : SearchFolders();
    for (const auto& folder : folders) {
        for (const auto& variant : NameVariants(path)) {
            std::string full = folder.empty() ? variant : folder + "/" + variant;
            if (IsRunnable(full)) return full;
        }
    }
    return std::nullopt;
}

} // namespace win32
