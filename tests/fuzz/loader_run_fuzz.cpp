// Fuzz links: loader_kline loader_rs485 test_support GTest::gtest
// Fuzz sources: tests/fuzz/loader_line.cpp tests/fuzz/image_text.cpp
// Both loaders run whole against the emulated sensor with a fuzzed image file and fuzzed answers
// to the blocks. Whatever the file holds, the sensor only ever gets blocks of the image in order,
// a refused image sends no block, a run reported as a success delivered exactly the image, and an
// image that passes its check is delivered whole when the sensor takes every block.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <vector>

#include "loaders/common/firmware_image.h"
#include "loaders/kline/kline_loader.h"
#include "loaders/rs485/rs485_loader.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/image_text.h"
#include "tests/fuzz/loader_line.h"

namespace {

using sensor_emulator::BootLoaderScript;
using sensor_emulator::LineModel;
using Bytes = std::vector<std::uint8_t>;

// The K-line emulator takes a run that starts 02 4D for a request frame even in its boot loader, as
// it must while a loader may still be looking for it; a block with that length is lost on it.
bool EmulatorReadsAsRequest(const Bytes& image) {
    for (std::size_t at = 0; at + 1 < image.size(); at += image[at] * 256u + image[at + 1] + 2u)
        if (image[at] == 0x02 && image[at + 1] == 0x4D) return true;
    return false;
}

bool IsPrefix(const Bytes& part, const Bytes& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::LoaderLine::Shared();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::LoaderLine& loader = fuzz::LoaderLine::Shared();
    FuzzedDataProvider input(data, size);
    BootLoaderScript script;
    bool kline = input.ConsumeBool();
    script.model = kline ? LineModel::Kline : LineModel::Rs485;
    script.inLoader = input.ConsumeBool();
    int answers = input.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < answers; ++i)
        script.blockAnswers.push_back(input.ConsumeIntegralInRange(BootLoaderScript::Silent, 255));
    Bytes text = input.ConsumeRemainingBytes<std::uint8_t>();
    loader.WriteImage(text);

    int result = loader.Run(kline ? RunKlineLoader : RunRs485Loader, script);
    fuzz::DecodedImage expected = fuzz::DecodeImageText(text, loaders::FirmwareImageSize);
    const Bytes& image = expected.bytes;
    if (expected.overflow || loaders::CheckFirmwareImage(image.data(), static_cast<int>(image.size()))) {
        FUZZ_CHECK(result != 0 && loader.Device().BlocksReceived() == 0);
        return 0;
    }
    if (kline && EmulatorReadsAsRequest(image)) return 0;
    Bytes delivered = loader.Device().Image();
    FUZZ_CHECK(IsPrefix(delivered, image));
    if (result == 0) FUZZ_CHECK(delivered == image);
    bool everyBlockTaken = std::all_of(script.blockAnswers.begin(), script.blockAnswers.end(),
                                       [](int answer) { return answer == loaders::BlockAck; });
    if (everyBlockTaken) FUZZ_CHECK(result == 0);
    return 0;
}
