#pragma once
// Texts of the K-line requests and the numbers read from K-line replies.

#include <cstdint>
#include <string>

#include "core/tstring.h"

class RSport;

// " #" + letter + the link's sensor number in unsigned decimal.
TString MakeKlineCommand(const RSport& link, char letter);

// text + the number in signed decimal. A byte must be given as std::int8_t or std::uint8_t on
// purpose: the core's unsigned AppendNumber stands beside this one.
TString AppendNumber(const TString& text, std::int32_t number);

// The leading decimal number as atol reads it (blanks, sign, digits; 0 when none), then removes
// everything up to and including the first blank; a text without a blank stays as it is.
std::int32_t TakeLeadingNumber(std::string& text);
