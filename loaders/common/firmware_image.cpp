#include "loaders/common/firmware_image.h"

#include "loaders/common/console_output.h"
#include "loaders/common/loader_state.h"
#include "platform/win32/clock.h"

namespace loaders {

namespace {
ImageReadResult FileNotFound() {
    WriteLine(messages::kFileNotFound);
    return ImageReadResult::NotFound;
}
} // namespace

int DecodeFirmwareText(std::FILE* file, BYTE* buffer, int capacity, bool& overflow) {
    int length = 0;
    unsigned value = 0;
    overflow = false;
    while (std::fscanf(file, "%2X", &value) == 1) {
        if (length == capacity) {
            overflow = true;
            break;
        }
        buffer[length++] = static_cast<BYTE>(value);
    }
    return length;
}

const char* CheckFirmwareImage(const BYTE* buffer, int length) {
    int position = 0;
    while (position < length) {
        if (length - position < 2) return messages::kImageCutInLength.c_str();
        int onWire = buffer[position] * 256 + buffer[position + 1] + 2;
        // The echo of a block is read back into the echo buffer whole.
        if (onWire > kEchoBufferSize) return messages::kBlockTooLong.c_str();
        if (onWire > length - position) return messages::kBlockPastEnd.c_str();
        position += onWire;
    }
    return nullptr;
}

ImageReadResult ReadFirmwareImage(const char* path, BYTE* buffer, int& length) {
    length = 0;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return FileNotFound();
    bool overflow = false;
    length = DecodeFirmwareText(file, buffer, kFirmwareImageSize, overflow);
    // A folder opens here but reads nothing, and a read may fail part-way: either would pass for
    // a short or empty image and be reported as written.
    bool unreadable = std::ferror(file) != 0;
    std::fclose(file);
    if (unreadable) {
        length = 0;
        return FileNotFound();
    }
    const char* refusal = overflow ? messages::kImageTooLong.c_str() : CheckFirmwareImage(buffer, length);
    if (refusal) {
        WriteLine(refusal);
        return ImageReadResult::Refused;
    }
    Sleep(200);
    return ImageReadResult::Read;
}

} // namespace loaders
