#pragma once
// RS-485 frames as the loader sends them: 0x31, address, command, data, and the CRC-8 of all
// bytes before it.

#include "platform/win32/types.h"

extern DWORD deviceSerial;
extern BYTE deviceAddress;

namespace loaders::rs485 {

// CRC-8 with the reflected polynomial 0x8C, initial value 0, no final XOR. A frame passes when
// the CRC over all its bytes, its own CRC included, is 0.
BYTE Crc8(const BYTE* bytes, BYTE count);
BYTE Crc8Step(BYTE byte, BYTE crc);

// Starts a request in `txBuffer`: 0x31, address, command.
void BeginRs485Frame(BYTE address, BYTE command);
// Appends the CRC, writes the frame and reads its echo back into `echoBuffer`.
void SendRs485Frame();
// A request without data.
void SendRs485Command(BYTE address, BYTE command);
// Request 0x3A to `deviceAddress` carrying `deviceSerial`, little-endian.
void SendBootRequest();

} // namespace loaders::rs485
