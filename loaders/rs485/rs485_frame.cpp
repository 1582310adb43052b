#include "loaders/rs485/rs485_frame.h"

#include "loaders/common/loader_state.h"

DWORD deviceSerial = 0;
BYTE deviceAddress = 0;

namespace loaders::rs485 {

namespace {
constexpr BYTE RequestStart = 0x31;
constexpr BYTE BootCommand = 0x3A;
// What each set bit of (crc XOR byte) contributes, bits 0 to 7.
constexpr BYTE BitTerms[8] = {0x5E, 0xBC, 0x61, 0xC2, 0x9D, 0x23, 0x46, 0x8C};
} // namespace

BYTE Crc8Step(BYTE byte, BYTE crc) {
    BYTE mixed = static_cast<BYTE>(crc ^ byte);
    BYTE next = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (mixed & (1 << bit)) next ^= BitTerms[bit];
    return next;
}

BYTE Crc8(const BYTE* bytes, BYTE count) {
    BYTE crc = 0;
    for (int i = 0; i < count; ++i)
        crc = Crc8Step(bytes[i], crc);
    return crc;
}

void BeginRs485Frame(BYTE address, BYTE command) {
    txBuffer[0] = RequestStart;
    txBuffer[1] = address;
    txBuffer[2] = command;
    txPtr = txBuffer + 3;
}

void SendRs485Frame() {
    *txPtr = Crc8(txBuffer, static_cast<BYTE>(txPtr - txBuffer));
    ++txPtr;
    int frameLength = static_cast<int>(txPtr - txBuffer);
    port->Write(txBuffer, frameLength);
    port->Read(echoBuffer, frameLength);
}

void SendRs485Command(BYTE address, BYTE command) {
    BeginRs485Frame(address, command);
    SendRs485Frame();
}

void SendBootRequest() {
    BeginRs485Frame(deviceAddress, BootCommand);
    for (int shift = 0; shift < 32; shift += 8)
        *txPtr++ = static_cast<BYTE>(deviceSerial >> shift);
    SendRs485Frame();
}

} // namespace loaders::rs485
