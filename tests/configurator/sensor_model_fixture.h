#pragma once
// Feeding a sensor model as a transport would, and reading back what it says.

#include <string>
#include <vector>

#include "tests/support/line_device.h"

namespace sensor_model_tests {

using testing_support::TimedBytes;

inline std::vector<TimedBytes> Feed(testing_support::LineDevice& device, const std::string& bytes,
                                    std::uint32_t baud) {
    return device.Received(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), baud);
}

// The answer bytes in order, announcements left out.
inline std::string Answer(const std::vector<TimedBytes>& runs) {
    std::string bytes;
    for (const auto& run : runs)
        if (!run.announcement) bytes.append(run.bytes.begin(), run.bytes.end());
    return bytes;
}

inline std::string Text(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

} // namespace sensor_model_tests
