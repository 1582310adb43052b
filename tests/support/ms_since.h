#pragma once
// Milliseconds of the real steady clock since a time point, for bounds on real waits.

#include <chrono>

namespace testing_support {

inline long long MsSince(std::chrono::steady_clock::time_point start) {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

} // namespace testing_support
