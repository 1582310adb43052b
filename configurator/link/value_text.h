#pragma once
// Reply values as the window shows them: the printf forms of numbers, scaled values and 8-bit
// texts.

#include <cstdint>
#include <string_view>

#include "platform/vcl/unicode_string.h"

class TControl;

// 8-bit text in the ANSI code page, ending at its first NUL or at the end of the bytes.
UnicodeString AnsiText(std::string_view bytes);
// text + AnsiText(ansi).
UnicodeString AppendAnsi(const UnicodeString& text, std::string_view ansi);

// A control's text as the printf forms "%u", "%hu" and "%i" write the value.
UnicodeString UnsignedText(std::uint32_t value);
void ShowUnsigned(TControl* control, std::uint32_t value);
void ShowWord(TControl* control, std::uint16_t value);
void ShowSigned(TControl* control, std::int32_t value);

// value x factor formed in extended precision and rounded to double once, as shown values are.
double ScaledValue(double value, long double factor);
