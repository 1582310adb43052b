#include "loaders/common/loader_state.h"

LoaderComPort* port = nullptr;
BYTE txBuffer[TxBufferSize];
BYTE* txPtr = txBuffer;
BYTE echoBuffer[EchoBufferSize];
