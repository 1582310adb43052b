#pragma once
// The decoder's fixed tables, built on first use and kept for the whole run.

#include <cstdint>
#include <map>
#include <set>

#include "configurator/link/rsport.h"

// RS-485 replies whose payload starts with a status byte (0 = done).
const std::set<RequestCode>& StatusReplyCodes();
// State texts of the level codes 0xFFF0..0xFFF5; every other code is a measurement.
const std::map<std::uint16_t, const char16_t*>& LevelStateTexts();
// State texts of the K-line sensor modes 0..6.
const std::map<int, const char16_t*>& SensorModeTexts();
