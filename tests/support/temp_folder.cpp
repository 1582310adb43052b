#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sondrix-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::filesystem::path TempFolder::Write(const std::string& name, const std::string& content,
                                        bool executable) const {
    std::filesystem::path file = path / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    if (executable) {
        std::filesystem::permissions(file, std::filesystem::perms::owner_exec,
                                     std::filesystem::perm_options::add);
    }
    return file;
}

std::string TempFolder::Read(const std::string& name) const {
    std::ifstream file(path / name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

CurrentFolderGuard::CurrentFolderGuard(const std::filesystem::path& folder)
    : previous(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

CurrentFolderGuard::~CurrentFolderGuard() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
}

} // namespace testing_support
