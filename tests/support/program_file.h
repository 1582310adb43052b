#pragma once
// Writes a small executable script (folders made as needed), for tests that start programs.

#include <filesystem>
#include <fstream>
#include <string>

namespace testing_support {

inline void WriteProgram(const std::filesystem::path& file, const std::string& script) {
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << script;
    std::filesystem::permissions(file, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
}

} // namespace testing_support
