#include "core/socket_start.h"

// Sockets on this platform need no start-up call before the first socket is made.
void StartSockets() {}
