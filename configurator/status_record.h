#pragma once
// The state line and the status record file of each sensor.

#include "platform/vcl/unicode_string.h"

// Shows a new state text in Label15; a text different from the one shown is first appended as a
// record to "ZNTK/<serial>.zntk" and then logged.
void SetStatus(const UnicodeString& text);
