// Fuzz links: configurator_frames
// The sensor line's frame acceptance: any run of received bytes is accepted only as a frame that
// builds back to the same bytes, a refused run leaves the reply as it was, and every built frame
// is accepted with what it was built from.

#include <cstring>
#include <vector>

#include "configurator/link/frames.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A reply that no acceptance can produce, to see whether a refusal touched it.
const frames::ReplyFrame Untouched{-1, -2, reinterpret_cast<const std::uint8_t*>(&Untouched), -3};

bool SameReply(const frames::ReplyFrame& a, const frames::ReplyFrame& b) {
    return a.command == b.command && a.address == b.address && a.payload == b.payload && a.length == b.length;
}

bool SameBytes(const std::uint8_t* a, const std::uint8_t* b, int count) {
    return count == 0 || std::memcmp(a, b, static_cast<std::size_t>(count)) == 0;
}

// A request frame turned into the reply the sensor would send: its start byte and its CRC.
void MakeRs485Reply(std::uint8_t* frame, int length) {
    frame[0] = frames::Rs485ReplyStart;
    frame[length - 1] = frames::Crc8(frame, length - 1);
}

void CheckRs485Run(const std::uint8_t* run, int n) {
    frames::ReplyFrame reply = Untouched;
    if (!frames::AcceptRs485Frame(run, n, reply)) {
        FUZZ_CHECK(SameReply(reply, Untouched));
        return;
    }
    FUZZ_CHECK(reply.payload == run + 3 && reply.length == n - frames::Rs485Overhead);
    FUZZ_CHECK(reply.address == run[1] && reply.command == run[2]);
    FUZZ_CHECK(frames::Crc8(run, n) == 0); // a frame with its own CRC checks to 0
    if (reply.length > frames::MaxPayloadLength) return;
    Bytes rebuilt(frames::FrameAreaSize);
    int length =
        frames::BuildRs485Frame(reply.address, reply.command, reply.payload, reply.length, rebuilt.data());
    FUZZ_CHECK(length == n);
    MakeRs485Reply(rebuilt.data(), length);
    FUZZ_CHECK(SameBytes(rebuilt.data(), run, n));
}

void CheckKlineRun(const std::uint8_t* run, int n) {
    frames::ReplyFrame reply = Untouched;
    if (!frames::AcceptKlineFrame(run, n, reply)) {
        FUZZ_CHECK(SameReply(reply, Untouched));
        return;
    }
    int length = run[6];
    FUZZ_CHECK(n >= length + frames::KlineOverhead && length >= 3);
    FUZZ_CHECK(reply.command == run[9] && reply.address == 0);
    FUZZ_CHECK(reply.payload == run + 10 && reply.length == length - 3);
    // Header bytes 1 to 3 are not checked; everything else builds back from the frame's fields.
    Bytes rebuilt(frames::FrameAreaSize);
    int built = frames::BuildKlineFrame(run[4], run[5], run + 7, length, rebuilt.data());
    FUZZ_CHECK(built == length + frames::KlineOverhead);
    FUZZ_CHECK(rebuilt[0] == run[0] && SameBytes(rebuilt.data() + 4, run + 4, built - 4));
}

// Frames built from the input's fields are accepted with those fields, also with bytes behind a
// K-line frame.
void CheckBuiltFrames(const std::uint8_t* data, int size) {
    if (size < 2) return;
    int address = data[0], command = data[1];
    const std::uint8_t* payload = data + 2;
    int length = std::min(size - 2, frames::MaxPayloadLength);

    Bytes rs485(frames::FrameAreaSize);
    int rs485Length = frames::BuildRs485Frame(address, command, payload, length, rs485.data());
    FUZZ_CHECK(rs485Length == length + frames::Rs485Overhead);
    MakeRs485Reply(rs485.data(), rs485Length);
    frames::ReplyFrame reply;
    FUZZ_CHECK(frames::AcceptRs485Frame(rs485.data(), rs485Length, reply));
    FUZZ_CHECK(reply.address == address && reply.command == command && reply.length == length);
    FUZZ_CHECK(SameBytes(reply.payload, payload, length));

    Bytes kline(frames::FrameAreaSize + static_cast<std::size_t>(size));
    int klineLength = frames::BuildKlineFrame(address, command, payload, length, kline.data());
    FUZZ_CHECK(klineLength == length + frames::KlineOverhead);
    std::memcpy(kline.data() + klineLength, data, static_cast<std::size_t>(size));
    reply = Untouched;
    bool accepted = frames::AcceptKlineFrame(kline.data(), klineLength + size, reply);
    FUZZ_CHECK(accepted == (length >= 3));
    if (!accepted) return;
    FUZZ_CHECK(reply.command == payload[2] && reply.length == length - 3);
    FUZZ_CHECK(SameBytes(reply.payload, payload + 3, length - 3));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // libFuzzer hands over an exact-size copy, so a read past the run is caught.
    int n = static_cast<int>(size);
    CheckRs485Run(data, n);
    CheckKlineRun(data, n);
    CheckBuiltFrames(data, n);
    return 0;
}
