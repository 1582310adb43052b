#pragma once
// The reply families behind RSport::DecodeReply, which picks one by the link's speed, and the
// fields they share. The families write into the window through Form1.

#include <cstdint>

#include "configurator/link/rsport.h"
#include "core/byte_cursor.h"

// Label31's caption in the single-sensor layout; the three-sensor layout names it "Сенсор 3".
constexpr const char16_t* SingleLayoutCaption = u"Текущее";

// Fields of the RS-485 replies beside the cursor's own.
std::uint16_t ReadWord(ByteCursor& cursor);
std::int8_t ReadSignedByte(ByteCursor& cursor);

// RS-485 fields are read through the cursor, which throws when the payload is too short; the entry
// catches that. A K-line reply that starts the firmware update deletes link.
void DecodeRs485Fields(RSport& link, RequestCode command, ByteCursor& cursor, std::uint8_t replyAddress);
void DecodeRadioModuleList(RSport& link, ByteCursor& cursor);
void DecodeRadioDeviceValues(ByteCursor& cursor);
void DecodeKlineReply(RSport* link, char letter, const std::uint8_t* text, std::int32_t length);
