#include "configurator/link/frames.h"
#include "configurator/link/rsport.h"
#include "configurator/main_globals.h"
#include "platform/win32/clock.h"
#include "platform/win32/io_object.h"

#include <algorithm>
#include <cstring>

namespace {

// One read takes at most this many bytes; the rest is read by the next call as a new run.
constexpr std::int32_t ReceiveAreaSize = 300;
// Ten bits a byte would be exact; eight and a margin cover a burst without pauses.
constexpr double BitsPerByteMs = 8000.0;
constexpr double WholeFrameMarginMs = 100.0;

struct Run {
    std::uint8_t bytes[ReceiveAreaSize];
    std::int32_t count = 0;

    void DropFront(std::int32_t n) {
        std::memmove(bytes, bytes + n, static_cast<std::size_t>(count - n));
        count -= n;
    }
};

void DiscardInput(RSport& link, std::int32_t count) {
    std::uint8_t echo[256];
    DWORD read = 0;
    ReadFile(link.handle, echo, static_cast<DWORD>(count), &read, nullptr);
}

// The run begins with the frame the link wrote last.
bool StartsWithSentFrame(const RSport& link, const Run& run) {
    return link.sentFrameLength > 0 && run.count >= link.sentFrameLength &&
           std::memcmp(run.bytes, link.sentFrame, static_cast<std::size_t>(link.sentFrameLength)) == 0;
}

// Aligns the run on the reply's start byte and decodes it when it is one whole frame. False: the
// run is bad. The decoder may have deleted the link when this returns true.
bool TakeRs485Reply(RSport& link, Run& run) {
    if (run.bytes[0] == frames::Rs485RequestStart) {
        // The adapter returned our own request: from now on its echo is skipped by count. A lone
        // request start byte is noise; counting echo for it would eat the start of every reply.
        if (StartsWithSentFrame(link, run)) link.echoMode = true;
        auto* start = std::find(run.bytes, run.bytes + run.count, frames::Rs485ReplyStart);
        if (start == run.bytes + run.count) return false;
        run.DropFront(static_cast<std::int32_t>(start - run.bytes));
    }
    if (run.bytes[0] != frames::Rs485ReplyStart) run.DropFront(1);
    frames::ReplyFrame reply;
    if (!frames::AcceptRs485Frame(run.bytes, run.count, reply)) return false;
    link.log.LogBytes(TString(" ---> "), run.bytes, run.count);
    RSport::DecodeReply(&link, static_cast<std::uint8_t>(reply.command), reply.payload, reply.length,
                        static_cast<std::uint8_t>(reply.address));
    return true;
}

bool TakeKlineReply(RSport& link, Run& run) {
    if (run.bytes[0] != frames::KlineHeader[0]) run.DropFront(1);
    frames::ReplyFrame reply;
    if (!frames::AcceptKlineFrame(run.bytes, run.count, reply)) return false;
    // The whole text as it came, " #" and the letter included.
    link.log.Log(" ---> :" +
                 TString(reinterpret_cast<const char*>(run.bytes + 7), run.bytes[6], CodePageCyrillic));
    RSport::DecodeReply(&link, static_cast<std::uint8_t>(reply.command), reply.payload, reply.length, 0);
    return true;
}

} // namespace

void RSport::OnReceive(std::int32_t count) {
    if (count <= 0) return;
    DWORD now = GetTickCount();
    if (echoSkip != 0) {
        if (echoSkip > count) return;
        DiscardInput(*this, echoSkip);
        count -= echoSkip;
        echoSkip = 0;
        if (count == 0) return;
    }
    if (!firstByteSeen) {
        firstByteSeen = true;
        requestTick = static_cast<std::int32_t>(now);
    }
    // Wait until the bytes this call reads could have come in one burst since the first of them.
    // Counting all that wait would let a long burst of noise outlast every send, which starts the
    // wait again, and the queue would never be read.
    std::int32_t runLength = std::min(count, ReceiveAreaSize);
    auto sinceFirstByte = static_cast<std::int32_t>(now - static_cast<DWORD>(requestTick));
    if (sinceFirstByte < runLength * BitsPerByteMs / baud + WholeFrameMarginMs) return;

    Run run;
    DWORD read = 0;
    ReadFile(handle, run.bytes, static_cast<DWORD>(runLength), &read, nullptr);
    // Only what was read: a port that failed (unplugged) leaves no stale bytes to decode.
    run.count = static_cast<std::int32_t>(read);
    bool good =
        run.count > 0 && (baud == Rs485Baud ? TakeRs485Reply(*this, run) : TakeKlineReply(*this, run));

    // The decoder may have deleted this link (firmware start): only the global tells.
    if (SensorLink != this) return;
    if (!good) {
        log.LogBytes(TString("Bad message"), run.bytes, run.count);
        return;
    }
    pendingRequest = 0;
    SendNext();
}
