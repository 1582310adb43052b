#pragma once
// The sensor link: one open COM port plus everything needed to talk to one sensor on it. Requests
// are queued as one-byte codes and go out one at a time; each waits for its reply or its time-out
// before the next is sent. Payloads are built from the window's fields when a request is sent, and
// replies are decoded straight into the window.

#include <cstdint>
#include <deque>
#include <unordered_map>

#include "configurator/link/frames.h"
#include "core/com_port_base.h"
#include "core/tstring.h"

// One-byte code of a request and of its reply (0x33 identify, 0x06 current values...).
using RequestCode = std::uint8_t;

// A link at this baud speaks RS-485 (so does a radio module); at any other, K-line.
constexpr std::int32_t Rs485Baud = 19200;

// The speed detection rotation: the baud and probe of each step.
extern const std::int32_t ProbeSpeeds[3];
extern const RequestCode ProbeCodes[3];

// moduleAddress until a radio module has answered: no one-byte bus address equals it.
constexpr std::int32_t NoModuleAddress = -1;

class RSport : public ComPortBase {
  public:
    // Starts at 19200 baud, one stop bit, probing both speeds.
    RSport(HANDLE handle, const TString& portName, const TString& friendlyName);
    ~RSport() override;

    // Reassembles, checks and decodes the reply waiting in the port; see receive.cpp.
    void OnReceive(std::int32_t count) override;

    // Queues a request and sends it when nothing else is outstanding.
    void PushRequest(RequestCode code);
    // Empties the queue; an outstanding request stays outstanding.
    void ClearRequests();
    // The scheduler: drops an outstanding request once its time is up, then sends the next one.
    void SendNext();
    // More than 2500 ms since the last decoded reply.
    bool ReplyTimedOut() const;

    // An RS-485 request to `address`, logged with its bytes.
    void SendRequest(RequestCode code, const std::uint8_t* payload, std::int32_t length);
    // A K-line text request (address 0, command 0), logged as text. False: the text is longer
    // than a frame holds (255 bytes in code page 1251); nothing is sent and the refusal is logged.
    bool SendText(const TString& text);
    bool SendTextCommand(char letter);
    void SendFrame(std::int32_t frameAddress, std::int32_t command, const std::uint8_t* payload,
                   std::int32_t length, bool logFrame);

    // The frame code, in the format of the link's current baud.
    static std::uint8_t Crc8(const std::uint8_t* bytes, std::int32_t count);
    static std::uint16_t Sum16(const std::uint8_t* bytes, std::int32_t count);
    std::int32_t BuildFrame(std::int32_t frameAddress, std::int32_t command, const std::uint8_t* payload,
                            std::int32_t length, std::uint8_t* destination) const;

    // Writes one checked reply into the window. The call may delete `link` (adoption of another
    // port cannot happen here, but a firmware start disconnects it): afterwards the caller looks at
    // SensorLink before touching the link again.
    static void DecodeReply(RSport* link, std::uint8_t command, const std::uint8_t* payload,
                            std::int32_t length, std::uint8_t replyAddress);

    std::deque<RequestCode> RequestQueue;
    std::uint8_t echoSkip = 0;     // echo bytes still to drop at the head of the input; wraps
    std::int32_t sensorNumber = 0; // K-line sensor number from the identify reply
    std::uint32_t replyTick;       // GetTickCount of the last decoded reply
    std::int32_t detectIndex = 0;  // position in the speed detection rotation
    bool firstByteSeen = false;    // the current reply's first byte has come
    bool echoMode = false;         // the adapter returns every byte sent
    std::int32_t address = 0;      // bus address of RS-485 requests
    std::int32_t moduleAddress = NoModuleAddress;
    std::unordered_map<std::uint32_t, std::int32_t> RadioDevices; // serial -> bus address
    // The frame written last, built in place: an echoing adapter returns exactly these bytes, which
    // tells it from noise that happens to start like a request.
    std::uint8_t sentFrame[frames::FrameAreaSize];
    std::int32_t sentFrameLength = 0;
};
