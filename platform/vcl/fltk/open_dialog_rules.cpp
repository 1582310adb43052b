#include "platform/vcl/fltk/open_dialog_rules.h"

#include <algorithm>
#include <cctype>
#include <fnmatch.h>
#include <system_error>

namespace fs = std::filesystem;

namespace vcl::fltk {

namespace {

// Whole, with no "." or ".." and no separator at the end.
fs::path Tidy(const fs::path& path) {
    fs::path tidy = path.lexically_normal();
    if (!tidy.has_filename() && tidy.has_relative_path()) tidy = tidy.parent_path();
    return tidy;
}

bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

// Patterns match regardless of case, as the platform's own dialog matches them.
bool Matches(const std::string& name, const FileFilter& filter) {
    return std::any_of(filter.patterns.begin(), filter.patterns.end(), [&](const std::string& pattern) {
        return fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
    });
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool NameBefore(const std::string& a, const std::string& b) {
    const std::string lowerA = Lower(a), lowerB = Lower(b);
    return lowerA != lowerB ? lowerA < lowerB : a < b;
}

} // namespace

FileFilter FirstFilter(const std::string& filter) {
    const std::vector<std::string> parts = Split(filter, '|');
    if (parts.size() < 2 || parts[1].empty()) return {parts[0], {"*"}};
    return {parts[0], Split(parts[1], ';')};
}

fs::path StartFolder(const std::string& initialDir) {
    std::error_code error;
    const fs::path current = fs::current_path(error);
    if (initialDir.empty()) return current;
    const fs::path folder = Tidy(current / initialDir);
    return IsFolder(folder) ? folder : current;
}

std::vector<FolderRow> ListFolder(const fs::path& folder, const FileFilter& filter) {
    std::vector<FolderRow> folders, files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        // Hidden files, as the system hides them.
        if (name.empty() || name[0] == '.') continue;
        if (IsFolder(it->path())) {
            folders.push_back({FolderRow::Folder, name});
        } else if (IsFile(it->path()) && Matches(name, filter)) {
            files.push_back({FolderRow::File, name});
        }
    }
    auto byName = [](const FolderRow& a, const FolderRow& b) { return NameBefore(a.name, b.name); };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    std::vector<FolderRow> rows;
    if (folder.has_relative_path()) rows.push_back({FolderRow::Parent, ".."});
    rows.insert(rows.end(), folders.begin(), folders.end());
    rows.insert(rows.end(), files.begin(), files.end());
    return rows;
}

TypedName ResolveTypedName(const fs::path& folder, const std::string& typed, const std::string& defaultExt) {
    const fs::path path = Tidy(folder / typed);
    if (IsFolder(path)) return {TypedName::Folder, path};
    auto named = [](const fs::path& file) {
        return TypedName{IsFile(file) ? TypedName::File : TypedName::Missing, file};
    };
    if (defaultExt.empty()) return named(path);
    const std::string extension = defaultExt.front() == '.' ? defaultExt : "." + defaultExt;
    fs::path extended = path;
    extended += extension;
    // A version in a name ("ZNT-D 2.15") reads as an extension, so a name that names no file is
    // tried with the default extension too.
    if (!path.has_extension() || (!IsFile(path) && path.extension() != extension)) return named(extended);
    return named(path);
}

} // namespace vcl::fltk
