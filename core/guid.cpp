#include "core/guid.h"

#include <cstdint>

#include "core/byte_cursor.h"

static_assert(sizeof(GUID) == 16, "a GUID is 16 bytes");

void StringToGuid(GUID* guid, const TString& text) {
    auto hex = [&text](unsigned first, unsigned count) { return TString(text, first, count).ToInt(true); };
    auto* position = reinterpret_cast<std::uint8_t*>(guid);
    ByteCursor cursor(&position, sizeof(GUID));
    cursor.WriteU32(static_cast<std::uint32_t>(hex(1, 8)));
    cursor.WriteU16(static_cast<std::uint16_t>(hex(10, 4)));
    cursor.WriteU16(static_cast<std::uint16_t>(hex(15, 4)));
    cursor.WriteU8(static_cast<std::uint8_t>(hex(20, 2)));
    cursor.WriteU8(static_cast<std::uint8_t>(hex(22, 2)));
    for (unsigned first = 25; first <= 35; first += 2)
        cursor.WriteU8(static_cast<std::uint8_t>(hex(first, 2)));
}
