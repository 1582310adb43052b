#include "tests/fuzz/fuzz_support.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

void Fail(const char* property, const char* file, int line) {
    std::fprintf(stderr, "\nproperty failed: %s\n    at %s:%d\n", property, file, line);
    std::fflush(stderr);
    std::abort();
}

void SilenceStdout() {
    std::fflush(stdout);
    int null = ::open("/dev/null", O_WRONLY);
    if (null < 0 || ::dup2(null, STDOUT_FILENO) < 0) {
        std::perror("silencing standard output");
        std::abort();
    }
    ::close(null);
}

MemoryFile::MemoryFile() : descriptor(::memfd_create("fuzz_input", 0)) {
    if (descriptor < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    path = "/proc/self/fd/" + std::to_string(descriptor);
}

MemoryFile::~MemoryFile() {
    ::close(descriptor);
}

void MemoryFile::Replace(const std::uint8_t* data, std::size_t size) {
    bool written = ::ftruncate(descriptor, 0) == 0 &&
                   (size == 0 || ::pwrite(descriptor, data, size, 0) == static_cast<ssize_t>(size));
    if (!written) {
        std::perror("writing the in-memory file");
        std::abort();
    }
}

} // namespace fuzz
