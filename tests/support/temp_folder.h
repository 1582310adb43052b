#pragma once
// A fresh folder under /tmp, removed with everything in it at the end of the test, and a guard
// that makes a folder current for the guard's life.

#include <filesystem>
#include <string>

namespace testing_support {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path; }
    // Writes a file (folders made as needed) and returns its full path.
    std::filesystem::path Write(const std::string& name, const std::string& content,
                                bool executable = false) const;
    std::string Read(const std::string& name) const;

  private:
    std::filesystem::path path;
};

class CurrentFolderGuard {
  public:
    explicit CurrentFolderGuard(const std::filesystem::path& folder);
    ~CurrentFolderGuard();
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

  private:
    std::filesystem::path previous;
};

} // namespace testing_support
