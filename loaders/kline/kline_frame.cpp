#include "loaders/kline/kline_frame.h"

#include <cstring>
#include <initializer_list>

#include "loaders/common/loader_state.h"
#include "loaders/kline/kline_receiver.h"

namespace loaders::kline {

namespace {

constexpr BYTE FrameTemplate[7] = {0x02, 0x4D, 0x6C, 0x02, 0x00, 0x00, 0x00};
constexpr int LengthOffset = 6;
constexpr int AddressOffset = 4;

void AppendLetter(char letter) {
    *txPtr++ = static_cast<BYTE>(letter);
}

void AppendNumber(DWORD value) {
    txPtr += FormatDecimal(value, txPtr, 11);
}

} // namespace

WORD Sum16(const BYTE* bytes, BYTE count) {
    WORD sum = 0;
    for (int i = 0; i < count; ++i)
        sum = static_cast<WORD>(sum + ((bytes[i] << 8) | (bytes[i] ^ 0xFF)));
    return sum;
}

DWORD ParseDecimal(const BYTE*& cursor) {
    DWORD value = 0;
    while (*cursor >= '0' && *cursor <= '9')
        value = value * 10 + (*cursor++ - '0');
    return value;
}

int FormatDecimal(DWORD value, BYTE* out, int limit) {
    BYTE reversed[11];
    int count = 0;
    do {
        reversed[count++] = static_cast<BYTE>('0' + value % 10);
        value /= 10;
    } while (value != 0 && count < 11);
    if (count > limit) count = limit;
    for (int i = 0; i < count; ++i)
        out[i] = reversed[count - 1 - i];
    return count;
}

void BeginKlineFrame() {
    std::memcpy(txBuffer, FrameTemplate, sizeof FrameTemplate);
    txPtr = txBuffer + sizeof FrameTemplate;
    AppendLetter(' ');
    AppendLetter('#');
}

void SendKlineFrame() {
    int payload = static_cast<int>(txPtr - txBuffer) - static_cast<int>(sizeof FrameTemplate);
    txBuffer[LengthOffset] = static_cast<BYTE>(payload);
    WORD sum = Sum16(txBuffer + AddressOffset, static_cast<BYTE>(payload + 3));
    *txPtr++ = static_cast<BYTE>(sum & 0xFF);
    *txPtr++ = static_cast<BYTE>(sum >> 8);
    int frameLength = static_cast<int>(txPtr - txBuffer);
    port->Write(txBuffer, frameLength);
    port->Read(echoBuffer, frameLength);
}

void SendFindCommand() {
    BeginKlineFrame();
    AppendLetter('F');
    SendKlineFrame();
}

void SendAck(int number) {
    BeginKlineFrame();
    AppendLetter('i');
    AppendNumber(static_cast<DWORD>(number));
    SendKlineFrame();
}

void SendBootCommand() {
    BeginKlineFrame();
    AppendLetter('T');
    AppendNumber(static_cast<DWORD>(deviceNumber));
    for (char letter : {'B', 'O', 'O', 'T'})
        AppendLetter(letter);
    SendKlineFrame();
}

} // namespace loaders::kline
