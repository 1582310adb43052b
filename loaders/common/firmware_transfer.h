#pragma once
// Sends a decoded firmware image block by block over `port`, waiting for the device's one-byte
// answer after each block.

#include <optional>

#include "platform/win32/types.h"

namespace loaders {

enum class TransferResult { Success, NoAnswer, WriteError };

// Each block goes out at most four times; a silent device ends the transfer at once. Writes the
// progress figure before every send and the closing message.
TransferResult TransferFirmwareImage(const BYTE* buffer, int length);

// Reads the image file and transfers it. Nothing when the file is refused: its message is written
// and the port is closed and deleted.
std::optional<TransferResult> TransferFirmwareFile(const char* imagePath);

} // namespace loaders
