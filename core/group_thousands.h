#pragma once

#include "core/tstring.h"

// A copy with a blank before each group of three characters counted from the right, as long as a
// character stays in front of the group: 1234567 -> 1 234 567. Meant for unsigned decimal digits.
TString GroupThousands(const TString& text);
