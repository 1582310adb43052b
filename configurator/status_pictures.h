#pragma once
// The two connection status pictures (PNG), built into the program from configurator/images.

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> NotConnectedPicture();
std::vector<std::uint8_t> ConnectedPicture();
