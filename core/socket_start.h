#pragma once

// Starts the platform's socket library (version 2.2) for the network clients. Each opening of
// the log calls it; nothing stops it again.
void StartSockets();
