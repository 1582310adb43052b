#include "tools/sensor_emulator/lines/serial_wire.h"

#include <algorithm>

namespace sensor_emulator {
namespace {

// Start bit, eight data bits, stop bit.
constexpr std::uint64_t BitsPerByte = 10;

} // namespace

std::uint64_t SerialWire::WireUs(std::size_t count, std::uint32_t baud) const {
    return pace && baud ? count * BitsPerByte * 1'000'000 / baud : 0;
}

void SerialWire::Opened(std::uint64_t nowUs, std::uint32_t baud) {
    Schedule(device.Opened(), nullptr, nowUs, baud);
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

void SerialWire::Send(std::vector<std::uint8_t> bytes, std::uint64_t atUs, std::uint32_t baud) {
    if (!bytes.empty()) due.emplace(atUs, Run{std::move(bytes), baud, false});
}

void SerialWire::Unplug(std::uint64_t fromUs, std::uint64_t toUs) {
    awayFromUs = fromUs;
    awayToUs = toUs;
    pulled = false;
}

// On a tie the pull comes first, then the write that has gone, then the run that starts.
void SerialWire::CatchUp(std::uint64_t nowUs) {
    for (;;) {
        std::uint64_t pull = pulled ? NoEvent : awayFromUs;
        std::uint64_t heard = outgoing.empty() ? NoEvent : outgoing.front().ends.back();
        std::uint64_t start = NextRunStart();
        std::uint64_t first = std::min({pull, heard, start});
        if (first == NoEvent || first > nowUs) return;
        if (first == pull)
            Pull();
        else if (first == heard)
            Deliver();
        else
            StartRun(start);
    }
}

std::uint64_t SerialWire::NextRunStart() const {
    if (due.empty()) return NoEvent;
    const auto& [dueUs, run] = *due.begin();
    std::uint64_t start = std::max(dueUs, receiveFreeUs);
    if (run.announcement && !outgoing.empty()) start = std::max(start, sendFreeUs);
    return start;
}

void SerialWire::Deliver() {
    Outgoing out = std::move(outgoing.front());
    outgoing.pop_front();
    Schedule(device.Received(out.bytes.data(), out.bytes.size(), out.baud), &out, out.ends.back(), out.baud);
}

void SerialWire::StartRun(std::uint64_t startUs) {
    Run run = std::move(due.begin()->second);
    due.erase(due.begin());
    if (Away(startUs) || (run.announcement && !device.Announcing())) return;
    for (std::size_t k = 0; k < run.bytes.size(); ++k)
        incoming.emplace(startUs + WireUs(k + 1, run.baud), Incoming{run.bytes[k], false});
    receiveFreeUs = startUs + WireUs(run.bytes.size(), run.baud);
}

void SerialWire::Pull() {
    pulled = true;
    ++unplugs;
    outgoing.clear();
    incoming.clear();
    sendFreeUs = std::min(sendFreeUs, awayFromUs);
    receiveFreeUs = std::min(receiveFreeUs, awayFromUs);
}

// An answer run is due after its delay; a run the device marks as the echo of the write (a model
// of an echoing line) lands byte for byte as the written ones left.
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
        due.emplace(fromUs + std::uint64_t{run.delayMs} * 1000, Run{run.bytes, baud, run.announcement});
    }
}

std::size_t SerialWire::Arrived(std::uint64_t nowUs) const {
    auto arrived = static_cast<std::size_t>(std::distance(incoming.begin(), incoming.upper_bound(nowUs)));
    return std::min(arrived, InputQueueLimit);
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
    auto later = [&](std::uint64_t us) {
        if (us > nowUs) next = std::min(next, us);
    };
    auto arriving = incoming.upper_bound(nowUs);
    if (arriving != incoming.end()) later(arriving->first);
    if (!outgoing.empty()) later(outgoing.front().ends.back());
    later(NextRunStart());
    if (!pulled) later(awayFromUs);
    return next;
}

std::uint64_t SerialWire::QuietUs() const {
    std::uint64_t quiet = receiveFreeUs;
    for (const auto& [dueUs, run] : due)
        quiet = std::max(quiet, dueUs) + WireUs(run.bytes.size(), run.baud);
    if (!incoming.empty()) quiet = std::max(quiet, incoming.rbegin()->first);
    return quiet;
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

} // namespace sensor_emulator
