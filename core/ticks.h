#pragma once

// The millisecond tick (GetTickCount) as a signed number. When it lies below `start` (the counter
// wrapped, or crossed into negative values), start moves to it, so the caller's now - start
// restarts from 0 instead of going negative.
int TickNow(int& start);
