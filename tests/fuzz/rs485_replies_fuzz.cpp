// Fuzz links: loader_rs485 test_support GTest::gtest
// Fuzz sources: tests/fuzz/loader_line.cpp
// rflasher's checks of the sensor's replies, on its real receive path: the input is what the line
// brings after the user asks again (f), its first 9 bytes as the identification reply and the rest
// a second later as the reply to the switch request. The loader goes on to the switch only for a
// reply the configurator's frame acceptance also takes, and takes the serial and address from it;
// it opens the port anew only for a switch reply with status 0.

#include <algorithm>
#include <vector>

#include "configurator/link/frames.h"
#include "loaders/rs485/rs485_frame.h"
#include "loaders/rs485/rs485_loader.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/loader_line.h"

namespace {

using sensor_emulator::BootLoaderScript;
using sensor_emulator::LineModel;
using sensor_emulator::VirtualSerialLine;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t IdentifyCommand = 0x33;
constexpr std::uint8_t SwitchCommand = 0x3A;
constexpr std::size_t IdentifyReplyLength = 9;
constexpr std::size_t SwitchReplyLength = 5;
// The loader has long given up on the silent sensor and waits for keys when f is typed.
constexpr std::uint64_t RetryAtMs = fuzz::LoaderLine::StartMs + 5000;
constexpr std::uint64_t IdentifyReplyAtMs = RetryAtMs + 200;
constexpr std::uint64_t SwitchReplyAtMs = IdentifyReplyAtMs + 1000;
// Past the wait for "BLST" after the switch reply, so every run ends soon after its last check.
constexpr std::uint64_t EscapeAtMs = SwitchReplyAtMs + 5000;

bool AcceptedReply(const Bytes& run, std::size_t length, std::uint8_t command) {
    frames::ReplyFrame reply;
    return run.size() >= length && frames::AcceptRs485Frame(run.data(), static_cast<int>(length), reply) &&
           reply.command == command;
}

// The switch requests the loader sent, as the device recorded them.
std::vector<Bytes> SwitchRequests(const sensor_emulator::BootLoaderEmulator& device) {
    std::vector<Bytes> found;
    for (const auto& request : device.Requests())
        if (request.size() > 2 && request[2] == SwitchCommand) found.push_back(request);
    return found;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // One good block, so that a run that gets through the hand-over has something to send.
    const char text[] = "00 02 AA 55";
    fuzz::LoaderLine::Shared().WriteImage(Bytes(text, text + sizeof text - 1));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::LoaderLine& loader = fuzz::LoaderLine::Shared();
    std::size_t split = std::min(size, IdentifyReplyLength);
    Bytes identify(data, data + split), switchReply(data + split, data + size);
    // The loader's own CRC matches the configurator's on every run it could check.
    std::size_t counted = std::min<std::size_t>(size, 255);
    FUZZ_CHECK(loaders::rs485::Crc8(data, static_cast<BYTE>(counted)) ==
               frames::Crc8(data, static_cast<int>(counted)));

    BootLoaderScript script;
    script.model = LineModel::Rs485;
    // A sensor that answers nothing by itself: every reply the loader hears is the input.
    script.answerFind = false;
    script.confirmSwitch = false;
    script.announceAfterSwitch = false;
    loader.Run(RunRs485Loader, script, [&](VirtualSerialLine& line) {
        loader.TypeKeyAt(RetryAtMs, 'f');
        line.SendAt(IdentifyReplyAtMs, identify);
        line.SendAt(SwitchReplyAtMs, switchReply);
        loader.TypeKeyAt(EscapeAtMs, 27);
    });

    bool identified = AcceptedReply(identify, IdentifyReplyLength, IdentifyCommand);
    std::vector<Bytes> switches = SwitchRequests(loader.Device());
    FUZZ_CHECK(switches.size() == (identified ? 1u : 0u));
    if (!identified) return 0;
    // 0x31, the address, 0x3A, the serial as the reply carried it, the CRC.
    const Bytes& request = switches.front();
    FUZZ_CHECK(request.size() == 8 && request[1] == identify[7]);
    FUZZ_CHECK(std::equal(identify.begin() + 3, identify.begin() + 7, request.begin() + 3));
    FUZZ_CHECK(frames::Crc8(request.data(), 8) == 0);
    bool switched = AcceptedReply(switchReply, SwitchReplyLength, SwitchCommand) && switchReply[3] == 0;
    FUZZ_CHECK(loader.Line().Opens() == (switched ? 2 : 1));
    return 0;
}
