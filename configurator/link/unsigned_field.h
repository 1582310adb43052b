#pragma once
// A field that holds a serial number read back for a request: serials fill all 32 bits, more than
// the framework's signed conversion takes.

#include <cstdint>
#include <optional>

#include "platform/vcl/unicode_string.h"

// One to ten decimal digits up to 4294967295; nothing for any other text.
std::optional<std::uint32_t> UnsignedValue(const UnicodeString& text);
