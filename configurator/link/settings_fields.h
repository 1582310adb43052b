#pragma once
// The window's settings fields in the order every settings request and reply carries them, and
// the flag word that packs the settings' switches. The table names window controls, yet it sits in
// the link: the payload builder and the reply decoders both walk it, so the field order on the wire
// is written down once, beside the frames.

#include <array>
#include <cstdint>

class TEdit;

// Body, tube and fuel (Edit2, Edit3, Edit4): the first three values of every settings layout.
std::array<TEdit*, 3> BaseSettingsEdits();
// The eleven values after the flag word of the extended settings, in line order.
std::array<TEdit*, 11> ExtendedSettingsEdits();
// The four values the full settings add at their end.
std::array<TEdit*, 4> FullSettingsEdits();

// The settings read of the model the window shows: full (0x43) with the NFC panel, extended
// (0x3E) with the controller's output choice, else plain (0x31).
std::uint8_t SettingsReadCode();

// CheckBox1 + 2 x ComboBox2 index + 4 x ComboBox4 index + 32 x CheckBox2, summed without masks.
std::uint16_t SettingsFlagWord();
// The reverse: bit 0 CheckBox1, bit 1 ComboBox2, bits 2..4 ComboBox4 as a signed 3-bit index,
// bit 5 CheckBox2.
void ShowSettingsFlagWord(std::uint32_t flags);
