#include "loaders/kline/kline_receiver.h"

#include <cstdio>
#include <cstring>

#include "loaders/common/console_output.h"
#include "loaders/kline/kline_frame.h"
#include "platform/win32/clock.h"

BYTE rxBuffer[loaders::kline::RxBufferSize];
int rxCount = 0;
int rxState = loaders::kline::Idle;
int deviceNumber = 0;

namespace loaders::kline {

namespace {

constexpr int HeaderLength = 7;
constexpr int LengthOffset = 6;
constexpr int AddressOffset = 4;
// Payload bytes and the sum still due after the length byte.
int bytesDue = 0;

// Frame byte 9 is the letter, the text follows it.
bool HandleIdentification(const BYTE* text) {
    const BYTE* cursor = text;
    deviceNumber = static_cast<int>(ParseDecimal(cursor));
    SendAck(deviceNumber);
    std::fputs("\n", stdout);
    WriteText(messages::SensorFound);
    std::printf("%s\n", reinterpret_cast<const char*>(text));
    std::fflush(stdout);
    Sleep(100);
    SendBootCommand();
    return true;
}

void HandleBootReply(const BYTE* text) {
    const BYTE* cursor = text;
    ParseDecimal(cursor);
    if (std::strcmp(reinterpret_cast<const char*>(cursor), "OK") == 0) {
        std::printf("Bootloader Start\n");
        std::fflush(stdout);
    }
}

// Positions 1 to 4: the frame header 02 'M' 'l' 02, or the raw "BLST".
RxEvent HeaderByte(int position, BYTE simb) {
    static constexpr BYTE framed[4] = {0x02, 'M', 'l', 0x02};
    static constexpr BYTE announced[4] = {'B', 'L', 'S', 'T'};
    if (position == 1) {
        rxState = simb == framed[0] ? Framed : simb == announced[0] ? Announcement : Idle;
        if (rxState == Idle) ResetReceiver();
        return RxEvent::None;
    }
    const BYTE* expected = rxState == Framed ? framed : announced;
    if (rxState == Announcement && position == 4) {
        ResetReceiver();
        return simb == 'T' ? RxEvent::Announced : RxEvent::None;
    }
    if (simb != expected[position - 1]) ResetReceiver();
    return RxEvent::None;
}

} // namespace

void ResetReceiver() {
    rxCount = 0;
    rxState = Idle;
}

RxEvent ReceiveByte(BYTE simb) {
    rxBuffer[rxCount++] = simb;
    int position = rxCount;
    if (position <= 4) return HeaderByte(position, simb);
    if (position < HeaderLength) return RxEvent::None;
    if (position == HeaderLength) {
        if (simb == 0 || simb > MaxPayload)
            ResetReceiver();
        else
            bytesDue = simb + 2;
        return RxEvent::None;
    }
    if (--bytesDue > 0) return RxEvent::None;
    bool identified = ParseKlinePacket();
    ResetReceiver();
    return identified ? RxEvent::Identified : RxEvent::None;
}

bool ParseKlinePacket() {
    int payload = rxBuffer[LengthOffset];
    int sumOffset = HeaderLength + payload;
    WORD sum = Sum16(rxBuffer + AddressOffset, static_cast<BYTE>(payload + 3));
    if (sum != (rxBuffer[sumOffset] | (rxBuffer[sumOffset + 1] << 8))) return false;
    // Zeros in place of the sum end the payload text.
    rxBuffer[sumOffset] = 0;
    rxBuffer[sumOffset + 1] = 0;
    if (rxBuffer[8] != '#') return false;
    BYTE letter = rxBuffer[9];
    const BYTE* text = rxBuffer + 10;
    if (letter == 'I') return HandleIdentification(text);
    if (letter == 'T') HandleBootReply(text);
    return false;
}

} // namespace loaders::kline
