#include "platform/vcl/user_input.h"

namespace vcl {

bool UserFocus(TWinControl& control) {
    TForm* form = control.ParentForm();
    if (!form) return false;
    Dispatch([&] { form->FocusControl(&control, true); });
    return form->ActiveControl() == &control;
}

void UserClick(TButton& button) {
    if (!button.Enabled() || !UserFocus(button)) return;
    Dispatch([&] { button.Click(); });
}

void UserToggle(TCheckBox& box) {
    if (!box.Enabled() || !UserFocus(box)) return;
    box.SetChecked(!box.Checked());
    Dispatch([&] {
        if (box.OnClick) box.OnClick(&box);
    });
}

void UserType(TEdit& edit, const UnicodeString& text) {
    if (!edit.Enabled() || !UserFocus(edit) || edit.ReadOnly()) return;
    Dispatch([&] { edit.SetText(text); });
}

void UserSelect(TComboBox& box, int index) {
    if (!box.Enabled() || !UserFocus(box)) return;
    box.SetItemIndex(index);
    Dispatch([&] {
        if (box.OnChange) box.OnChange(&box);
    });
}

void UserClose(TForm& form) {
    Dispatch([&] { form.Close(); });
}

} // namespace vcl
