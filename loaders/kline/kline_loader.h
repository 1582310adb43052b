#pragma once
// kflasher's flow: finds a K-line sensor, switches it into its boot loader and writes the image.

namespace loaders::kline {

inline constexpr unsigned KlineBaud = 9600;

} // namespace loaders::kline

// -1 for every failure, 0 for success and for Esc during discovery.
int RunKlineLoader(int argc, char** argv);
