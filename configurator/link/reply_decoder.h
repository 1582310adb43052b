#pragma once
// Reply decoding shared by the reply families: the entry dispatches by the link's speed, the
// families write into the window through Form1.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "configurator/link/rsport.h"
#include "core/byte_cursor.h"
#include "platform/vcl/unicode_string.h"

class TControl;

// Label31's caption in the single-sensor layout; the three-sensor layout names it "Сенсор 3".
constexpr const char16_t* SingleLayoutCaption = u"Текущее";

// RS-485 replies whose payload starts with a status byte (0 = done).
const std::set<RequestCode>& StatusReplyCodes();
// State texts of the level codes 0xFFF0..0xFFF5; every other code is a measurement.
const std::map<std::uint16_t, const char16_t*>& LevelStateTexts();
// State texts of the K-line sensor modes 0..6.
const std::map<int, const char16_t*>& SensorModeTexts();

// 8-bit text in the ANSI code page, ending at its first NUL or at the end of the bytes.
UnicodeString AnsiText(std::string_view bytes);
// text + AnsiText(ansi).
UnicodeString AppendAnsi(const UnicodeString& text, std::string_view ansi);

// Fields of the RS-485 replies beside the cursor's own.
std::uint16_t ReadWord(ByteCursor& cursor);
std::int8_t ReadSignedByte(ByteCursor& cursor);

// A control's text as the printf forms "%u", "%hu" and "%i" write the value.
UnicodeString UnsignedText(std::uint32_t value);
// UnsignedText read back, as serial numbers above 2147483647 need: one to ten decimal digits up to
// 4294967295; nothing for any other text.
std::optional<std::uint32_t> UnsignedValue(const UnicodeString& text);
void ShowUnsigned(TControl* control, std::uint32_t value);
void ShowWord(TControl* control, std::uint16_t value);
void ShowSigned(TControl* control, std::int32_t value);

// value x factor formed in extended precision and rounded to double once, as shown values are.
double ScaledValue(double value, long double factor);

// Unless the engineering box is open, the window ends at the settings box, or just after it
// while that box is shown.
void FitWindowToSettings();

// The families. RS-485 fields are read through the cursor, which throws when the payload is too
// short; the entry catches that. A K-line reply that starts the firmware update deletes link.
void DecodeRs485Fields(RSport& link, RequestCode command, ByteCursor& cursor, std::uint8_t replyAddress);
void DecodeRadioModuleList(RSport& link, ByteCursor& cursor);
void DecodeRadioDeviceValues(ByteCursor& cursor);
void DecodeKlineReply(RSport* link, char letter, const std::uint8_t* text, std::int32_t length);
