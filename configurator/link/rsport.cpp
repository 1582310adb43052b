#include "configurator/link/rsport.h"

#include "configurator/link/frames.h"
#include "configurator/link/link_text.h"
#include "configurator/link/request_payloads.h"
#include "configurator/main_globals.h"
#include "platform/win32/clock.h"
#include "platform/win32/io_object.h"

// Index 0 is never probed first: the rotation advances before it looks.
const std::int32_t ProbeSpeeds[3] = {9600, Rs485Baud, Rs485Baud};
const RequestCode ProbeCodes[3] = {0x33, 0x80, 0x33};

namespace {

// How long a request waits for its reply while ports are searched, and once a sensor is connected.
constexpr std::int32_t SearchReplyWaitMs = 500;
constexpr std::int32_t ConnectedReplyWaitMs = 999;
// Silence after which the connection timer drops the sensor.
constexpr DWORD ReplyTimeoutMs = 2500;

} // namespace

RSport::RSport(HANDLE handle, const TString& portName, const TString& friendlyName)
    : ComPortBase(handle, portName, friendlyName, Rs485Baud, 0), replyTick(GetTickCount()) {}

RSport::~RSport() = default;

void RSport::PushRequest(RequestCode code) {
    RequestQueue.push_back(code);
    SendNext();
}

void RSport::ClearRequests() {
    RequestQueue.clear();
}

void RSport::SendNext() {
    auto elapsed = static_cast<std::int32_t>(GetTickCount() - static_cast<DWORD>(requestTick));
    // A request whose build failed was never sent (tick 0): it has nothing to wait for.
    if (pendingRequest != 0 && requestTick != 0) {
        if (elapsed < SearchReplyWaitMs) return;
        if (elapsed < ConnectedReplyWaitMs && SensorLink) return;
    }
    requestTick = 0;
    pendingRequest = 0;
    firstByteSeen = false;
    if (RequestQueue.empty()) return;
    pendingRequest = RequestQueue.front();
    RequestQueue.pop_front();
    if (speedDetection) {
        detectIndex = (detectIndex + 1) % 3;
        SetSpeed(ProbeSpeeds[detectIndex]);
        pendingRequest = ProbeCodes[detectIndex];
    }
    auto code = static_cast<RequestCode>(pendingRequest);
    if (baud == Rs485Baud) {
        SendRs485Request(*this, code);
    } else if (!SendKlineRequest(*this, code)) {
        // Nothing went out for this code: the next one goes at once.
        pendingRequest = 0;
        SendNext();
        return;
    }
    requestTick = static_cast<std::int32_t>(GetTickCount());
}

bool RSport::ReplyTimedOut() const {
    return GetTickCount() - replyTick > ReplyTimeoutMs;
}

void RSport::SendRequest(RequestCode code, const std::uint8_t* payload, std::int32_t length) {
    SendFrame(address, code, payload, length, true);
}

bool RSport::SendText(const TString& text) {
    std::string bytes = text.ToStdString(CodePageCyrillic);
    if (bytes.size() > static_cast<std::size_t>(frames::MaxPayloadLength)) {
        log.Log(TString("Text too long for a frame, not sent"), text);
        return false;
    }
    log.Log(" <--- :" + text);
    SendFrame(0, 0, reinterpret_cast<const std::uint8_t*>(bytes.data()),
              static_cast<std::int32_t>(bytes.size()), false);
    return true;
}

bool RSport::SendTextCommand(char letter) {
    return SendText(MakeKlineCommand(*this, letter));
}

void RSport::SendFrame(std::int32_t frameAddress, std::int32_t command, const std::uint8_t* payload,
                       std::int32_t length, bool logFrame) {
    std::int32_t size = BuildFrame(frameAddress, command, payload, length, sentFrame);
    sentFrameLength = size;
    if (logFrame) log.LogBytes(TString(" <--- "), sentFrame, size);
    if (echoMode) echoSkip = static_cast<std::uint8_t>(echoSkip + size);
    DWORD written = 0;
    WriteFile(handle, sentFrame, static_cast<DWORD>(size), &written, nullptr);
}

std::uint8_t RSport::Crc8(const std::uint8_t* bytes, std::int32_t count) {
    return frames::Crc8(bytes, count);
}

std::uint16_t RSport::Sum16(const std::uint8_t* bytes, std::int32_t count) {
    return frames::Sum16(bytes, count);
}

std::int32_t RSport::BuildFrame(std::int32_t frameAddress, std::int32_t command, const std::uint8_t* payload,
                                std::int32_t length, std::uint8_t* destination) const {
    return frames::BuildFrame(static_cast<unsigned>(baud), frameAddress, command, payload, length,
                              destination);
}
