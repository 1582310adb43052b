#pragma once
// What the user does to the window, as both backends deliver it: the real one from its widgets'
// callbacks, the headless one from tests. Each runs like a message of the message loop: an
// exception that escapes a handler is shown with Application->ShowException.

#include "platform/vcl/forms.h"
#include "platform/vcl/std_ctrls.h"

namespace vcl {

// The focus moves to the control (the control that had it gets OnExit). False when a handler
// kept the focus elsewhere.
bool UserFocus(TWinControl& control);
// A click focuses the button first; when an OnExit takes the focus back, the click is lost.
void UserClick(TButton& button);
void UserToggle(TCheckBox& box);
// Typing replaces the text of a focused, writable edit (OnChange follows).
void UserType(TEdit& edit, const UnicodeString& text);
// Choosing an item sets the selection and fires OnChange.
void UserSelect(TComboBox& box, int index);
// The window's close button: the close request through OnCloseQuery.
void UserClose(TForm& form);

} // namespace vcl
