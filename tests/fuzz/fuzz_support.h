#pragma once
// What the fuzz targets share: a property check that ends the run, so libFuzzer keeps the input
// that broke it, and ways to keep a target's side effects out of the run.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Writes the failed property and where it is checked, then aborts.
[[noreturn]] void Fail(const char* property, const char* file, int line);

// Standard output goes to /dev/null: the loaders write their messages on every run.
void SilenceStdout();

// A regular file in memory that fopen reaches by its path (/proc/self/fd/N of a memfd), so a
// target hands file contents to code that takes a path without touching the disk.
class MemoryFile {
  public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // The file holds exactly these bytes afterwards.
    void Replace(const std::uint8_t* data, std::size_t size);
    const std::string& Path() const { return path; }

  private:
    int descriptor;
    std::string path;
};

} // namespace fuzz

#define FUZZ_CHECK(property) ((property) ? (void)0 : ::fuzz::Fail(#property, __FILE__, __LINE__))
