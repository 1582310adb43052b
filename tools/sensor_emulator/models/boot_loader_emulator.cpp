#include "tools/sensor_emulator/models/boot_loader_emulator.h"

#include <algorithm>
#include <cstring>

#include "configurator/link/frames.h"

namespace sensor_emulator {

namespace {

constexpr std::uint8_t BlockAck = 0x11;
constexpr std::uint8_t Identify = 0x33;
constexpr std::uint8_t Switch = 0x3A;
// Answers follow a request after this long, as a sensor's firmware takes a moment.
constexpr std::uint32_t AnswerDelayMs = 20;
constexpr std::uint32_t AnnounceOnOpenMs = 50;
constexpr std::uint32_t AnnounceEveryMs = 500;

std::vector<std::uint8_t> Announcement() {
    return {'B', 'L', 'S', 'T'};
}

std::vector<std::uint8_t> KlineReply(const std::string& text) {
    std::vector<std::uint8_t> frame(frames::FrameAreaSize);
    int length = frames::BuildKlineFrame(0, 0, reinterpret_cast<const std::uint8_t*>(text.data()),
                                         static_cast<int>(text.size()), frame.data());
    frame.resize(static_cast<std::size_t>(length));
    return frame;
}

// A reply frame: 0x3E, address, command, data, CRC.
std::vector<std::uint8_t> Rs485Reply(std::uint8_t address, std::uint8_t command,
                                     std::vector<std::uint8_t> data) {
    std::vector<std::uint8_t> frame{frames::Rs485ReplyStart, address, command};
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(frames::Crc8(frame.data(), static_cast<int>(frame.size())));
    return frame;
}

// The length of the RS-485 request that starts with this command.
std::size_t Rs485RequestLength(std::uint8_t command) {
    return command == Switch ? 8 : 4;
}

} // namespace

BootLoaderEmulator::BootLoaderEmulator(BootLoaderScript script) : script(std::move(script)) {
    inLoader = this->script.inLoader;
}

std::vector<TimedBytes> BootLoaderEmulator::Opened() {
    std::lock_guard guard(lock);
    std::vector<TimedBytes> runs;
    for (int i = 0; inLoader && i < script.announcements; ++i)
        runs.push_back({AnnounceOnOpenMs + AnnounceEveryMs * std::uint32_t(i), Announcement(), true});
    return runs;
}

std::vector<TimedBytes> BootLoaderEmulator::Received(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard guard(lock);
    std::vector<TimedBytes> out;
    if (script.echo && count > 0)
        out.push_back({0, std::vector<std::uint8_t>(bytes, bytes + count), false, true});
    for (std::size_t i = 0; i < count; ++i)
        TakeByte(bytes[i], out);
    return out;
}

// In the boot loader a run is a block unless it begins like a request frame (a loader may still
// send its find or identify request before it hears "BLST"). A K-line run that begins with 0x02
// stays undecided until its second byte.
std::vector<TimedBytes> BootLoaderEmulator::Received(const std::uint8_t* bytes, std::size_t count,
                                                     std::uint32_t baud) {
    if (baud != 0 && baud != Baud()) return {};
    return Received(bytes, count);
}

std::uint32_t BootLoaderEmulator::Baud() const {
    return script.model == LineModel::Kline ? 9600 : 19200;
}

bool BootLoaderEmulator::RequestRun() const {
    if (!inLoader) return true;
    if (script.model == LineModel::Rs485) return pending[0] == frames::Rs485RequestStart;
    return pending[0] == frames::KlineHeader[0] &&
           (pending.size() < 2 || pending[1] == frames::KlineHeader[1]);
}

void BootLoaderEmulator::TakeByte(std::uint8_t byte, std::vector<TimedBytes>& out) {
    std::uint8_t start =
        script.model == LineModel::Kline ? frames::KlineHeader[0] : frames::Rs485RequestStart;
    if (pending.empty() && !inLoader && byte != start) return;
    pending.push_back(byte);
    if (!RequestRun()) return TakeBlock(out);
    std::size_t size = pending.size();
    bool complete = script.model == LineModel::Kline ? size >= 7 && size >= pending[6] + 9u
                                                     : size >= 3 && size >= Rs485RequestLength(pending[2]);
    if (!complete) return;
    std::vector<std::uint8_t> frame;
    frame.swap(pending);
    requests.push_back(frame);
    if (script.model == LineModel::Kline)
        AnswerKline(frame, out);
    else if (frames::Crc8(frame.data(), static_cast<int>(frame.size())) == 0)
        AnswerRs485(frame, out);
}

void BootLoaderEmulator::TakeBlock(std::vector<TimedBytes>& out) {
    if (pending.size() < 2 || pending.size() < pending[0] * 256u + pending[1] + 2u) return;
    int answer = BlockAck;
    if (static_cast<std::size_t>(blocksReceived) < script.blockAnswers.size())
        answer = script.blockAnswers[static_cast<std::size_t>(blocksReceived)];
    ++blocksReceived;
    if (answer == BlockAck) image.insert(image.end(), pending.begin(), pending.end());
    pending.clear();
    if (answer != BootLoaderScript::Silent)
        out.push_back({script.writeDelayMs, {static_cast<std::uint8_t>(answer)}});
}

void BootLoaderEmulator::AnswerKline(const std::vector<std::uint8_t>& frame, std::vector<TimedBytes>& out) {
    frames::ReplyFrame request;
    // A request is read as a reply would be: the letter after " #", the text behind it.
    if (inLoader || !frames::AcceptKlineFrame(frame.data(), static_cast<int>(frame.size()), request)) return;
    std::string text(reinterpret_cast<const char*>(request.payload),
                     static_cast<std::size_t>(request.length));
    if (request.command == 'F' && script.answerFind)
        out.push_back({AnswerDelayMs, KlineReply(" #I" + script.identification)});
    if (request.command == 'T' && text.ends_with("BOOT")) {
        inLoader = true;
        if (script.noiseAfterSwitch > 0)
            out.push_back({AnswerDelayMs, std::vector<std::uint8_t>(script.noiseAfterSwitch, 'x')});
        if (script.confirmSwitch)
            out.push_back({AnswerDelayMs, KlineReply(" #T" + text.substr(0, text.size() - 4) + "OK")});
    }
}

void BootLoaderEmulator::AnswerRs485(const std::vector<std::uint8_t>& frame, std::vector<TimedBytes>& out) {
    if (inLoader) return;
    std::uint8_t command = frame[2];
    if (command == Identify && script.answerFind) {
        std::vector<std::uint8_t> data(4);
        for (int i = 0; i < 4; ++i)
            data[static_cast<std::size_t>(i)] = std::uint8_t(script.serial >> (8 * i));
        data.push_back(script.address);
        using Reply = BootLoaderScript::IdentifyReply;
        auto reply =
            Rs485Reply(script.address, script.identifyReply == Reply::WrongCommand ? 0x34 : Identify, data);
        if (script.identifyReply == Reply::Short) reply.pop_back();
        if (script.identifyReply == Reply::BadCrc) reply.back() ^= 0x5A;
        out.push_back({AnswerDelayMs, reply});
    }
    std::uint32_t serial = 0;
    for (int i = 0; i < 4 && frame.size() == 8; ++i)
        serial |= std::uint32_t(frame[3 + i]) << (8 * i);
    if (command == Switch && frame.size() == 8 && serial == script.serial) {
        if (script.confirmSwitch)
            out.push_back({AnswerDelayMs, Rs485Reply(script.address, Switch, {script.switchStatus})});
        if (script.switchStatus != 0) return;
        inLoader = true;
        if (script.announceAfterSwitch) out.push_back({script.announceDelayMs, Announcement(), true});
    }
}

std::vector<std::uint8_t> BootLoaderEmulator::Image() const {
    std::lock_guard guard(lock);
    return image;
}

std::vector<std::vector<std::uint8_t>> BootLoaderEmulator::Requests() const {
    std::lock_guard guard(lock);
    return requests;
}

int BootLoaderEmulator::BlocksReceived() const {
    std::lock_guard guard(lock);
    return blocksReceived;
}

bool BootLoaderEmulator::Announcing() const {
    std::lock_guard guard(lock);
    return inLoader && blocksReceived == 0 && (pending.empty() || RequestRun());
}

bool BootLoaderEmulator::InLoader() const {
    std::lock_guard guard(lock);
    return inLoader;
}

} // namespace sensor_emulator
