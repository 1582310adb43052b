#include "core/ticks.h"

#include "platform/win32/clock.h"

int TickNow(int& start) {
    int now = static_cast<int>(GetTickCount());
    if (now < start) start = now;
    return now;
}
