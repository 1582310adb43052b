#pragma once
// What the open dialog shows and what a typed name means, apart from its widgets.

#include <filesystem>
#include <string>
#include <vector>

namespace vcl::fltk {

// The first entry of a filter "Name|pattern;pattern|...": its shown name and its patterns.
struct FileFilter {
    std::string name;
    std::vector<std::string> patterns;
};
FileFilter FirstFilter(const std::string& filter);

// The folder the dialog opens in, as a whole path: the given one, or the current folder when
// that does not exist.
std::filesystem::path StartFolder(const std::string& initialDir);

struct FolderRow {
    enum Kind { Parent, Folder, File } kind;
    std::string name;
};
// ".." where the folder has a parent, then its sub-folders, then the files that match the filter,
// each group sorted by name. A folder that cannot be read shows as empty.
std::vector<FolderRow> ListFolder(const std::filesystem::path& folder, const FileFilter& filter);

struct TypedName {
    enum Kind { Folder, File, Missing } kind;
    std::filesystem::path path;
};
// The name taken in the folder shown, or as it stands when it is a whole path. A name without an
// extension gets the default one where there is one; a name with another that names no file is
// tried with the default one added.
TypedName ResolveTypedName(const std::filesystem::path& folder, const std::string& typed,
                           const std::string& defaultExt);

} // namespace vcl::fltk
