#pragma once
// Keys for console programs under test: standard input becomes a pipe that tests type into, at once
// or at a moment of the virtual clock.

#include <cstdint>

#include "tests/support/virtual_clock.h"

namespace testing_support {

// The write end stays open for the process, so the console never sees the end of its input.
// Install it before the first key is polled.
void InstallKeyboardPipe();
void TypeIntoStdin(char key);
// Types `key` once the clock comes to `atMs`.
void TypeKeyAt(VirtualClock& clock, std::uint64_t atMs, char key);

} // namespace testing_support
