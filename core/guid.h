#pragma once

#include "core/tstring.h"
#include "platform/win32/types.h"

// Parses the braced form "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" by fixed character positions;
// braces and dashes are not examined. A text too short to reach a field raises std::out_of_range.
void StringToGuid(GUID* guid, const TString& text);
