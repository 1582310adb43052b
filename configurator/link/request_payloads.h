#pragma once
// What each request carries, built from the window's fields at the moment it is sent: a binary
// payload on RS-485, a line of text on K-line.

#include <cstdint>
#include <optional>

#include "configurator/link/rsport.h"

// Writes the RS-485 payload of `code` to `payload` (room for a whole frame) and returns its length.
// Identify probes and the radio module's requests first point link.address where they must go. A
// numeric field that is not a number raises the framework's EConvertError halfway.
std::int32_t BuildRs485Payload(RSport& link, RequestCode code, std::uint8_t* payload);
// The K-line text of `code`: " #", the letter, the sensor number and the row's fields as typed.
// Nothing for a code that has no K-line form.
std::optional<TString> KlineRequestText(const RSport& link, RequestCode code);

// The send half of the scheduler, one per frame format. The K-line one is false when nothing
// went out: the code has no K-line form or its text does not fit a frame.
void SendRs485Request(RSport& link, RequestCode code);
bool SendKlineRequest(RSport& link, RequestCode code);
