#pragma once
// The state a loader run shares between its stages: the one port, the frame being built and the
// buffer that takes the line's echo of everything written.

#include "loaders/common/loader_com_port.h"
#include "platform/win32/types.h"

// The echo of the largest block on the wire also lands here, so blocks are limited to this size.
inline constexpr int EchoBufferSize = 4096;
// Room for the longest frame either loader builds (a K-line switch frame is 26 bytes).
inline constexpr int TxBufferSize = 64;

extern LoaderComPort* port;
extern BYTE txBuffer[TxBufferSize];
extern BYTE* txPtr;
extern BYTE echoBuffer[EchoBufferSize];
