#pragma once
// Colours and fonts as the framework stores them.

#include <cstdint>

#include "platform/vcl/unicode_string.h"

// A colour as 0x00BBGGRR: red in the low byte.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = 0xF0F0F0;
// Red 220, green 255, blue 220: the colour of a field whose value passed its check.
constexpr TColor clLightGreen = 0xDCFFDC;

constexpr int GetRValue(TColor colour) {
    return colour & 0xFF;
}
constexpr int GetGValue(TColor colour) {
    return (colour >> 8) & 0xFF;
}
constexpr int GetBValue(TColor colour) {
    return (colour >> 16) & 0xFF;
}

struct TFont {
    UnicodeString Name = u"Tahoma";
    // Negative: character height in pixels, as the form resource gives it.
    int Height = -11;
    bool Bold = false;

    bool operator==(const TFont&) const = default;
};
