#include "tests/support/serial_wire.h"

#include <algorithm>

namespace testing_support {
namespace {

// Start bit, eight data bits, stop bit.
constexpr std::uint64_t BitsPerByte = 10;

// The wire time of `count` bytes, counted from one start so that rounding never adds up.
std::uint64_t WireUs(std::size_t count, std::uint32_t baud) {
    return baud ? count * BitsPerByte * 1'000'000 / baud : 0;
}

} // namespace

void SerialWire::Opened(std::uint64_t nowUs, std::uint32_t baud) {
    Schedule(device.Opened(), nullptr, nowUs, baud);
}

void SerialWire::Unprompted(std::vector<std::uint8_t> bytes, std::uint64_t nowUs, std::uint32_t baud) {
    Schedule({TimedBytes{.bytes = std::move(bytes)}}, nullptr, nowUs, baud);
}

void SerialWire::Write(const std::uint8_t* bytes, std::size_t count, std::uint64_t nowUs,
                       std::uint32_t baud) {
    if (count == 0) return;
    Outgoing out{{bytes, bytes + count}, {}, baud};
    std::uint64_t start = std::max(nowUs, sendFreeUs);
    for (std::size_t k = 0; k < count; ++k)
        out.ends.push_back(start + WireUs(k + 1, baud));
    sendFreeUs = out.ends.back();
    if (echo) {
        for (std::size_t k = 0; k < count; ++k)
            incoming.emplace(out.ends[k], Incoming{bytes[k], true});
        receiveFreeUs = std::max(receiveFreeUs, out.ends.back());
    }
    outgoing.push_back(std::move(out));
}

void SerialWire::CatchUp(std::uint64_t nowUs) {
    while (!outgoing.empty() && outgoing.front().ends.back() <= nowUs) {
        Outgoing out = std::move(outgoing.front());
        outgoing.pop_front();
        Schedule(device.Received(out.bytes.data(), out.bytes.size(), out.baud), &out, out.ends.back(),
                 out.baud);
    }
    DropOverflow(nowUs);
}

void SerialWire::DropOverflow(std::uint64_t nowUs) {
    auto arrivedEnd = incoming.upper_bound(nowUs);
    auto kept = incoming.begin();
    for (std::size_t n = 0; n < InputQueueLimit && kept != arrivedEnd; ++n)
        ++kept;
    incoming.erase(kept, arrivedEnd);
}

// An answer run starts after its delay or once the wire back is free; a run the device marks as
// the echo of the write (a model of an echoing line) lands byte for byte as the written ones left.
void SerialWire::Schedule(const std::vector<TimedBytes>& runs, const Outgoing* cause, std::uint64_t fromUs,
                          std::uint32_t baud) {
    for (const TimedBytes& run : runs) {
        if (run.bytes.empty()) continue;
        if (run.echo && cause) {
            for (std::size_t k = 0; k < run.bytes.size(); ++k)
                incoming.emplace(cause->ends[std::min(k, cause->ends.size() - 1)],
                                 Incoming{run.bytes[k], true});
            continue;
        }
        std::uint64_t start = std::max(fromUs + std::uint64_t{run.delayMs} * 1000, receiveFreeUs);
        for (std::size_t k = 0; k < run.bytes.size(); ++k)
            incoming.emplace(start + WireUs(k + 1, baud), Incoming{run.bytes[k], false});
        receiveFreeUs = start + WireUs(run.bytes.size(), baud);
    }
}

std::size_t SerialWire::Arrived(std::uint64_t nowUs) const {
    return static_cast<std::size_t>(std::distance(incoming.begin(), incoming.upper_bound(nowUs)));
}

std::size_t SerialWire::Unsent(std::uint64_t nowUs) const {
    std::size_t count = 0;
    for (const Outgoing& out : outgoing)
        count += static_cast<std::size_t>(out.ends.end() -
                                          std::upper_bound(out.ends.begin(), out.ends.end(), nowUs));
    return count;
}

std::size_t SerialWire::Take(std::uint8_t* buffer, std::size_t size, std::uint64_t nowUs) {
    std::size_t taken = 0;
    while (taken < size && !incoming.empty() && incoming.begin()->first <= nowUs) {
        buffer[taken++] = incoming.begin()->second.byte;
        incoming.erase(incoming.begin());
    }
    return taken;
}

std::uint64_t SerialWire::NextEvent(std::uint64_t nowUs) const {
    std::uint64_t next = NoEvent;
    auto arriving = incoming.upper_bound(nowUs);
    if (arriving != incoming.end()) next = arriving->first;
    if (!outgoing.empty() && outgoing.front().ends.back() > nowUs)
        next = std::min(next, outgoing.front().ends.back());
    return next;
}

void SerialWire::DropArrived(std::uint64_t nowUs) {
    incoming.erase(incoming.begin(), incoming.upper_bound(nowUs));
}

void SerialWire::DropUnsent(std::uint64_t nowUs) {
    for (Outgoing& out : outgoing) {
        std::size_t gone = static_cast<std::size_t>(
            std::upper_bound(out.ends.begin(), out.ends.end(), nowUs) - out.ends.begin());
        out.bytes.resize(gone);
        out.ends.resize(gone);
    }
    std::erase_if(outgoing, [](const Outgoing& out) { return out.bytes.empty(); });
    std::erase_if(incoming, [nowUs](const auto& entry) { return entry.second.echo && entry.first > nowUs; });
    sendFreeUs = std::min(sendFreeUs, nowUs);
    std::uint64_t lastArrival = incoming.empty() ? 0 : incoming.rbegin()->first;
    receiveFreeUs = std::min(receiveFreeUs, std::max(nowUs, lastArrival));
}

void SerialWire::DropAll() {
    outgoing.clear();
    incoming.clear();
}

} // namespace testing_support
