#pragma once
// Waiting on the user-interface thread without freezing the window.

#include "platform/win32/types.h"

// Waits for the object in 10-ms slices and serves the window's messages between them. True when
// the object was signalled or the wait failed (an invalid handle ends it at once); false when ms
// (0: no limit) passed.
bool WaitWithMessages(HANDLE handle, int ms);

// Translates and dispatches every message waiting in the calling thread's queue.
void ProcessMessages();
