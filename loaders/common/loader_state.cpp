#include "loaders/common/loader_state.h"

LoaderComPort* port = nullptr;
BYTE txBuffer[kTxBufferSize];
BYTE* txPtr = txBuffer;
BYTE echoBuffer[kEchoBufferSize];
