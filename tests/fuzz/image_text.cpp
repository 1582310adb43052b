#include "tests/fuzz/image_text.h"

#include <algorithm>
#include <cstdio>

#include "loaders/common/firmware_image.h"
#include "tests/fuzz/fuzz_support.h"

namespace fuzz {

DecodedImage DecodeImageText(const std::vector<std::uint8_t>& text, int capacity) {
    // Every value takes at least one digit of the text, so no more bytes than it has are written.
    std::vector<std::uint8_t> buffer(std::min(static_cast<std::size_t>(capacity), text.size()));
    // fmemopen takes no empty buffer; an empty file reads the same.
    std::FILE* file = text.empty() ? std::fopen("/dev/null", "rb")
                                   : fmemopen(const_cast<std::uint8_t*>(text.data()), text.size(), "rb");
    FUZZ_CHECK(file != nullptr);
    DecodedImage decoded;
    int length = loaders::DecodeFirmwareText(file, buffer.data(), capacity, decoded.overflow);
    std::fclose(file);
    FUZZ_CHECK(length >= 0 && length <= capacity);
    decoded.bytes.assign(buffer.begin(), buffer.begin() + length);
    return decoded;
}

} // namespace fuzz
