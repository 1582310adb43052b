#pragma once
// The range check of the numeric edit fields when the user leaves them.

#include <cstdint>

#include "core/tstring.h"
#include "platform/vcl/std_ctrls.h"

// True when the value may stay; false after the error box "Некорректное значение в поле " + name.
bool CheckIntField(TEdit* control, const TString& fieldName, HWND owner, std::int32_t minimum,
                   std::int32_t maximum);
// The control's own Visible flag and its direct parent shown (a tab sheet by its TabVisible).
bool IsControlShown(TControl* control);
