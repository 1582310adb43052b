#pragma once
// The K-line loader's receive side: frames and the raw "BLST" announcement, byte by byte.

#include "platform/win32/types.h"

namespace loaders::kline {

// A frame has at most 54 payload bytes: 63 bytes in all.
inline constexpr int RxBufferSize = 64;
inline constexpr int MaxPayload = 54;

enum RxState { Idle = 0, Framed = 1, Announcement = 2 };

// What one received byte completed.
enum class RxEvent { None, Identified, Announced };

} // namespace loaders::kline

extern BYTE rxBuffer[loaders::kline::RxBufferSize];
extern int rxCount;
extern int rxState;
extern int deviceNumber;

namespace loaders::kline {

void ResetReceiver();
// Appends `simb` to `rxBuffer` and advances the state machine. Identified: an identification
// frame was handled, acknowledged and answered with the switch command.
RxEvent ReceiveByte(BYTE simb);
// Checks and handles the complete frame in `rxBuffer`; true only for a handled identification.
bool ParseKlinePacket();

} // namespace loaders::kline
