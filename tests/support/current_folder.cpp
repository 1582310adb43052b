#include "tests/support/current_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace testing_support {

TemporaryCurrentFolder::TemporaryCurrentFolder() {
    previous = std::filesystem::current_path().string();
    char pattern[] = "/tmp/sondrix_folder_XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    path = pattern;
    std::filesystem::current_path(path);
}

TemporaryCurrentFolder::~TemporaryCurrentFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(path, ignored);
}

std::string TemporaryCurrentFolder::Read(const std::string& name) const {
    std::ifstream file(path + "/" + name, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void TemporaryCurrentFolder::Write(const std::string& name, const std::string& content) const {
    std::ofstream file(path + "/" + name, std::ios::binary | std::ios::trunc);
    file << content;
}

} // namespace testing_support
