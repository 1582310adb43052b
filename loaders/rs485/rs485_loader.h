#pragma once
// rflasher's flow: finds an RS-485 sensor, switches it into its boot loader and writes the image.

namespace loaders::rs485 {

inline constexpr unsigned Rs485Baud = 19200;

} // namespace loaders::rs485

// -1 for argument, port and file failures, 0 for success and for Esc, 1 for a write error,
// 2 when the device stops answering.
int RunRs485Loader(int argc, char** argv);
