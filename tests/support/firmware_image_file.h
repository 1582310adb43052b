#pragma once
// Firmware images for tests of the loaders: blocks of a length word and data, and the image file
// that holds them.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace testing_support {

// An image of `blocks` blocks with `dataBytes` data bytes each, as decoded bytes: every block its
// length word (high byte first) and a byte pattern that differs from block to block.
inline std::vector<std::uint8_t> MakeImage(int blocks, int dataBytes) {
    std::vector<std::uint8_t> image;
    for (int block = 0; block < blocks; ++block) {
        image.push_back(static_cast<std::uint8_t>(dataBytes >> 8));
        image.push_back(static_cast<std::uint8_t>(dataBytes));
        for (int i = 0; i < dataBytes; ++i)
            image.push_back(static_cast<std::uint8_t>(block * 31 + i * 7));
    }
    return image;
}

// The image file as a person's tools write it: hex byte pairs, 32 to a CR LF line.
inline void WriteImageFile(const std::vector<std::uint8_t>& image, const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    char digits[4];
    for (std::size_t i = 0; i < image.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02x", image[i]);
        file << digits << (i % 32 == 31 ? "\r\n" : " ");
    }
}

} // namespace testing_support
