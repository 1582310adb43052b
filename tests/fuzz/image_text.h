#pragma once
// A firmware image text decoded as the loaders decode it, for the targets that check what a loader
// made of a fuzzed image file.

#include <cstdint>
#include <vector>

namespace fuzz {

struct DecodedImage {
    std::vector<std::uint8_t> bytes;
    // More text would have converted past the capacity.
    bool overflow = false;
};

DecodedImage DecodeImageText(const std::vector<std::uint8_t>& text, int capacity);

} // namespace fuzz
