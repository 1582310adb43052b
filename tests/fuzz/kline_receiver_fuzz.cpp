// Fuzz links: loader_kline configurator_frames
// kflasher's receive state machine and its decimal numbers. Any byte stream keeps the receiver
// inside its buffer, and it reports an identification only for a whole, correctly summed " #I"
// frame, whose number it parses as the C library would and sends back in its switch frame. A
// built identification is always heard. The decimal helpers round-trip every value.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

#include "configurator/link/frames.h"
#include "loaders/common/loader_state.h"
#include "loaders/kline/kline_frame.h"
#include "loaders/kline/kline_receiver.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/virtual_clock.h"

namespace {

using namespace loaders::kline;
using Bytes = std::vector<std::uint8_t>;

// Decimal digits from the start of `text` as a 32-bit value, wrapping.
std::uint32_t LeadingNumber(const std::uint8_t* text, int length) {
    std::uint32_t value = 0;
    for (int i = 0; i < length && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    return value;
}

// The frame in `txBuffer` is the switch command naming `number`.
void CheckSwitchFrame(std::uint32_t number) {
    frames::ReplyFrame sent;
    int length = static_cast<int>(txPtr - txBuffer);
    FUZZ_CHECK(length > 0 && length <= TxBufferSize);
    FUZZ_CHECK(frames::AcceptKlineFrame(txBuffer, length, sent));
    std::string text(reinterpret_cast<const char*>(sent.payload), static_cast<std::size_t>(sent.length));
    FUZZ_CHECK(sent.command == 'T' && text == std::to_string(number) + "BOOT");
}

// An identification the receiver reported is a whole frame that the configurator's acceptance
// also takes, with " #I" leading its text and the number read from behind the letter.
void CheckIdentified(const Bytes& frame) {
    frames::ReplyFrame reply;
    FUZZ_CHECK(frames::AcceptKlineFrame(frame.data(), static_cast<int>(frame.size()), reply));
    FUZZ_CHECK(frame.size() == static_cast<std::size_t>(frame[6]) + frames::KlineOverhead);
    FUZZ_CHECK(std::memcmp(frame.data(), frames::KlineHeader, 4) == 0);
    FUZZ_CHECK(frame[8] == '#' && reply.command == 'I' && frame[6] <= MaxPayload);
    std::uint32_t number = LeadingNumber(reply.payload, reply.length);
    FUZZ_CHECK(static_cast<std::uint32_t>(deviceNumber) == number);
    CheckSwitchFrame(number);
}

// Feeds the bytes one by one; returns how many identifications and announcements were reported.
std::pair<int, int> Feed(const std::uint8_t* bytes, std::size_t size) {
    int identified = 0, announced = 0;
    Bytes frame;
    for (std::size_t i = 0; i < size; ++i) {
        if (rxCount == 0) frame.clear();
        frame.push_back(bytes[i]);
        RxEvent event = ReceiveByte(bytes[i]);
        // The next byte must still fit.
        FUZZ_CHECK(rxCount >= 0 && rxCount < RxBufferSize);
        FUZZ_CHECK(rxState == Idle || rxState == Framed || rxState == Announcement);
        if (event == RxEvent::Identified) {
            ++identified;
            CheckIdentified(frame);
        }
        if (event == RxEvent::Announced) {
            ++announced;
            FUZZ_CHECK(frame.size() == 4 && std::memcmp(frame.data(), "BLST", 4) == 0);
        }
    }
    return {identified, announced};
}

// " #I" and the text, framed as a sensor sends it, is heard whole after any noise and a pause.
void CheckBuiltIdentification(const std::string& text) {
    std::string payload = " #I" + text.substr(0, MaxPayload - 3);
    Bytes frame(frames::FrameAreaSize);
    frame.resize(static_cast<std::size_t>(
        frames::BuildKlineFrame(0, 0, reinterpret_cast<const std::uint8_t*>(payload.data()),
                                static_cast<int>(payload.size()), frame.data())));
    ResetReceiver();
    FUZZ_CHECK(Feed(frame.data(), frame.size()).first == 1);
    ResetReceiver();
    FUZZ_CHECK(Feed(reinterpret_cast<const std::uint8_t*>("BLST"), 4).second == 1);
}

void CheckDecimals(std::uint32_t value, int limit) {
    std::string digits = std::to_string(value);
    int expected = std::min(limit, static_cast<int>(digits.size()));
    // Exactly as many bytes as it reports, so a write past them is caught.
    std::vector<BYTE> out(static_cast<std::size_t>(expected));
    int count = FormatDecimal(value, out.data(), limit);
    FUZZ_CHECK(count == expected);
    FUZZ_CHECK(std::string(out.begin(), out.end()) ==
               digits.substr(digits.size() - static_cast<std::size_t>(count)));
    std::string terminated = digits + "x";
    const BYTE* cursor = reinterpret_cast<const BYTE*>(terminated.c_str());
    FUZZ_CHECK(ParseDecimal(cursor) == value && *cursor == 'x');
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The identification's pause runs on a clock that never waits.
    static testing_support::VirtualClock clock;
    fuzz::SilenceStdout();
    // A port that is not open: what the receiver sends goes nowhere and reads nothing back.
    port = new LoaderComPort;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ResetReceiver();
    Feed(data, size);
    FuzzedDataProvider input(data, size);
    CheckDecimals(input.ConsumeIntegral<std::uint32_t>(), input.ConsumeIntegralInRange(1, 11));
    CheckBuiltIdentification(input.ConsumeRemainingBytesAsString());
    return 0;
}
