#pragma once
// The firmware image: a text of hexadecimal bytes that decodes into blocks laid end to end, each a
// big-endian 16-bit data length followed by that many data bytes. Blocks go on the wire whole.

#include <cstdio>

#include "platform/win32/types.h"

namespace loaders {

inline constexpr int FirmwareImageSize = 262144;
// The byte by which the device accepts a block; any other byte asks for it again.
inline constexpr BYTE BlockAck = 0x11;

enum class ImageReadResult { Read, NotFound, Refused };

// Decodes the file at `path` into `buffer` (FirmwareImageSize bytes) and sets `length`. Writes
// "Файл не найден" when `path` is no regular file or does not open, or the reason when the image
// would not go on the wire safely. Never blocks on a named pipe or a device.
ImageReadResult ReadFirmwareImage(const char* path, BYTE* buffer, int& length);

// Decodes hexadecimal text as the C library's "%2X" reads it, at most `capacity` bytes. Sets
// `overflow` when more text would still convert past the capacity.
int DecodeFirmwareText(std::FILE* file, BYTE* buffer, int capacity, bool& overflow);

// The 1251 text saying why the decoded image cannot be sent, or null when it holds at least one
// block and every block fits the image and the echo buffer.
const char* CheckFirmwareImage(const BYTE* buffer, int length);

} // namespace loaders
