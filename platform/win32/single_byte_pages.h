#pragma once
// The upper halves (bytes 0x80..0xFF) of the single-byte code pages; the lower half is ASCII.

#include "platform/win32/types.h"

namespace win32 {

// A byte the page leaves undefined.
constexpr WCHAR UndefinedByte = 0xFFFF;

struct SingleBytePage {
    UINT number;
    const WCHAR* upperHalf; // 128 entries
};

// Null for a page that is not single-byte (or unknown).
const SingleBytePage* FindSingleBytePage(UINT codePage);

// The byte for a character, or -1 when the page lacks it.
int EncodeSingleByte(const SingleBytePage& page, WCHAR character);

} // namespace win32
