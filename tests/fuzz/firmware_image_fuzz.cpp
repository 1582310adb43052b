// Fuzz links: loaders_common test_support GTest::gtest
// Fuzz sources: tests/fuzz/loader_line.cpp tests/fuzz/image_text.cpp
// The firmware image file: its hexadecimal text decodes the same whatever the capacity, up to the
// capacity, and says when more would have followed; the file reader reads what the decoder reads
// and refuses what the block check refuses; and the transfer walks every image that passed the
// check block by block within its bytes, delivering it whole to a sensor that takes every block.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <vector>

#include "loaders/common/firmware_image.h"
#include "loaders/common/firmware_transfer.h"
#include "loaders/common/loader_port.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/image_text.h"
#include "tests/fuzz/loader_line.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// What the transfer is handed: exactly the image's bytes, so a step past them is caught.
Bytes transferred;

int TransferOnly(int, char**) {
    if (!loaders::OpenLoaderPort("\\\\.\\COM12", 19200)) return -1;
    return static_cast<int>(
        loaders::TransferFirmwareImage(transferred.data(), static_cast<int>(transferred.size())));
}

void CheckTransfer(const Bytes& image) {
    sensor_emulator::BootLoaderScript script;
    script.model = sensor_emulator::LineModel::Rs485;
    script.inLoader = true;
    transferred = image;
    fuzz::LoaderLine& loader = fuzz::LoaderLine::Shared();
    FUZZ_CHECK(loader.Run(TransferOnly, script) == static_cast<int>(loaders::TransferResult::Success));
    FUZZ_CHECK(loader.Device().Image() == image);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Also the virtual clock, on which the reader's pause after a good read takes no time.
    fuzz::LoaderLine::Shared();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    int capacity = input.ConsumeIntegralInRange(0, 64);
    Bytes text = input.ConsumeRemainingBytes<std::uint8_t>();

    fuzz::DecodedImage whole = fuzz::DecodeImageText(text, loaders::FirmwareImageSize);
    FUZZ_CHECK(!whole.overflow); // a fuzz input is far shorter than the image limit
    fuzz::DecodedImage part = fuzz::DecodeImageText(text, capacity);
    std::size_t fits = std::min(whole.bytes.size(), static_cast<std::size_t>(capacity));
    FUZZ_CHECK(part.bytes.size() == fits &&
               std::equal(part.bytes.begin(), part.bytes.end(), whole.bytes.begin()));
    FUZZ_CHECK(part.overflow == (whole.bytes.size() > fits));

    fuzz::LoaderLine::Shared().WriteImage(text);
    static Bytes buffer(loaders::FirmwareImageSize);
    int length = -1;
    loaders::ImageReadResult read =
        loaders::ReadFirmwareImage(fuzz::LoaderLine::Shared().ImagePath().c_str(), buffer.data(), length);
    FUZZ_CHECK(read != loaders::ImageReadResult::NotFound);
    bool passes =
        loaders::CheckFirmwareImage(whole.bytes.data(), static_cast<int>(whole.bytes.size())) == nullptr;
    FUZZ_CHECK((read == loaders::ImageReadResult::Read) == passes);
    if (!passes) return 0;
    FUZZ_CHECK(length == static_cast<int>(whole.bytes.size()));
    FUZZ_CHECK(std::equal(whole.bytes.begin(), whole.bytes.end(), buffer.begin()));
    CheckTransfer(whole.bytes);
    return 0;
}
