#include "loaders/common/firmware_image.h"

#include <sys/stat.h>

#include "loaders/common/console_output.h"
#include "loaders/common/loader_state.h"

namespace loaders {

namespace {
ImageReadResult FileNotFound() {
    WriteLine(messages::FileNotFound);
    return ImageReadResult::NotFound;
}

// Opening a named pipe waits for a writer, for ever; a folder or a device holds no image either.
bool IsRegularFile(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && (info.st_mode & S_IFMT) == S_IFREG;
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
    // Nothing to send would be reported as written, with the sensor left in its boot loader.
    if (length <= 0) return messages::ImageEmpty.c_str();
    int position = 0;
    while (position < length) {
        if (length - position < 2) return messages::ImageCutInLength.c_str();
        int onWire = buffer[position] * 256 + buffer[position + 1] + 2;
        // The echo of a block is read back into the echo buffer whole.
        if (onWire > EchoBufferSize) return messages::BlockTooLong.c_str();
        if (onWire > length - position) return messages::BlockPastEnd.c_str();
        position += onWire;
    }
    return nullptr;
}

ImageReadResult ReadFirmwareImage(const char* path, BYTE* buffer, int& length) {
    length = 0;
    if (!IsRegularFile(path)) return FileNotFound();
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return FileNotFound();
    bool overflow = false;
    length = DecodeFirmwareText(file, buffer, FirmwareImageSize, overflow);
    // A read may fail part-way: the bytes before it would pass for the whole image.
    bool unreadable = std::ferror(file) != 0;
    std::fclose(file);
    if (unreadable) {
        length = 0;
        return FileNotFound();
    }
    const char* refusal = overflow ? messages::ImageTooLong.c_str() : CheckFirmwareImage(buffer, length);
    if (refusal) {
        WriteLine(refusal);
        return ImageReadResult::Refused;
    }
    return ImageReadResult::Read;
}

} // namespace loaders
