#pragma once
// A fresh temporary folder that is the current folder for the life of the object; the previous
// current folder comes back and the temporary one is removed with all it holds.

#include <string>

namespace testing_support {

class TemporaryCurrentFolder {
  public:
    TemporaryCurrentFolder();
    ~TemporaryCurrentFolder();
    TemporaryCurrentFolder(const TemporaryCurrentFolder&) = delete;
    TemporaryCurrentFolder& operator=(const TemporaryCurrentFolder&) = delete;

    const std::string& Path() const { return path; }
    // The whole content of a file in the folder; empty when it cannot be read.
    std::string Read(const std::string& name) const;
    void Write(const std::string& name, const std::string& content) const;

  private:
    std::string path;
    std::string previous;
};

} // namespace testing_support
