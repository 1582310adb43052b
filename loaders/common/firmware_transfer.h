#pragma once
// Sends a decoded firmware image block by block over `port`, waiting for the device's one-byte
// answer after each block.

#include "platform/win32/types.h"

namespace loaders {

enum class TransferResult { Success, NoAnswer, WriteError };

// Each block goes out at most four times; a silent device ends the transfer at once. Writes the
// progress figure before every send and the closing message.
TransferResult TransferFirmwareImage(const BYTE* buffer, int length);

// Reads and checks the image file before the sensor is asked to enter its boot loader, so a wrong
// file never leaves it there. False when the file is refused: its message is written and the port
// is closed and deleted.
bool LoadFirmwareFile(const char* imagePath);
// Sends the image LoadFirmwareFile read, once the boot loader is listening.
TransferResult TransferLoadedImage();

} // namespace loaders
