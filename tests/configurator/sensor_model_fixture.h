#pragma once
// Feeding a sensor model as a transport would, and reading back what it says.

#include <string>
#include <vector>

#include "tests/support/line_device.h"
#include "tests/support/sensor_frames.h"

namespace sensor_model_tests {

using testing_support::EncodeRs485Reply;
using testing_support::EncodeRs485Request;
using testing_support::TimedBytes;
using Bytes = std::vector<std::uint8_t>;

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

// An RS-485 request at 19200 baud and the answer to it.
inline std::string Ask(testing_support::LineDevice& device, int address, int command,
                       const Bytes& payload = {}) {
    return Answer(Feed(device, EncodeRs485Request(address, command, payload), 19200));
}

inline std::string Text(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

} // namespace sensor_model_tests
