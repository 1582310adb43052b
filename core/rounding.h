#pragma once
// Rounding of measured values for display.

#include <cstdint>

// Halves away from zero (2.5 -> 3, -2.5 -> -3). Beyond the int range (and for NaN) the result is
// INT32_MIN, as the processor's conversion gives.
std::int32_t RoundHalfAway(double x);

// To 1, 2 or 3 decimals. Magnitudes above 214748364, 21474836 or 2147483 (where x * 10^k would
// leave the int range) fall back to RoundTo1 / RoundTo2 / unchanged.
double RoundTo1(double x);
double RoundTo2(double x);
double RoundTo3(double x);
