#include "tests/support/keyboard_pipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace testing_support {
namespace {

int KeyboardPipe() {
    static int writeEnd = [] {
        int ends[2];
        if (pipe(ends) != 0) return -1;
        // With standard input closed the pipe may take descriptor 0 itself; move both ends above
        // the standard three first.
        int readEnd = fcntl(ends[0], F_DUPFD, 3);
        int typing = fcntl(ends[1], F_DUPFD, 3);
        close(ends[0]);
        close(ends[1]);
        dup2(readEnd, STDIN_FILENO);
        close(readEnd);
        return typing;
    }();
    return writeEnd;
}

} // namespace

void InstallKeyboardPipe() {
    KeyboardPipe();
}

void TypeIntoStdin(char key) {
    int writeEnd = KeyboardPipe();
    if (writeEnd >= 0 && write(writeEnd, &key, 1) != 1) std::perror("typing into standard input");
}

void TypeKeyAt(VirtualClock& clock, std::uint64_t atMs, char key) {
    clock.At(atMs, [key] { TypeIntoStdin(key); });
}

} // namespace testing_support
