#pragma once
// K-line frames as the loader sends them: header 02 'M' 'l' 02, address 0, command 0, payload
// length, a payload text that begins with " #", and the 16-bit sum, low byte first.

#include "platform/win32/types.h"

namespace loaders::kline {

// The sum of the K-line frames: each byte adds the word (byte << 8) | (byte ^ 0xFF).
WORD Sum16(const BYTE* bytes, BYTE count);

// Decimal digits at the cursor as a 32-bit value; moves the cursor past them.
DWORD ParseDecimal(const BYTE*& cursor);
// The value's decimal digits, most significant first, no terminator; at most 11 and at most
// `limit` digits, keeping the lowest ones. Returns the digit count.
int FormatDecimal(DWORD value, BYTE* out, int limit);

// Starts a frame in `txBuffer` with the header, address and command 0, and " #".
void BeginKlineFrame();
// Completes the length and sum, writes the frame and reads its echo back into `echoBuffer`.
void SendKlineFrame();

// " #F": any sensor on the line, identify yourself.
void SendFindCommand();
// " #i" and the number: the identification of sensor `number` was heard.
void SendAck(int number);
// " #T", `deviceNumber` and "BOOT": switch into the firmware-loading mode.
void SendBootCommand();

} // namespace loaders::kline
