#include "platform/vcl/std_ctrls.h"

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    color = clWhite;
}

void TEdit::SetReadOnly(bool value) {
    if (value == readOnly) return;
    readOnly = value;
    Changed();
}

void TEdit::SetTextValue(const UnicodeString& value) {
    if (value == text) return;
    TWinControl::SetTextValue(value);
    if (OnChange) OnChange(this);
}

void TButton::Click() {
    if (OnClick) OnClick(this);
}

void TCheckBox::SetChecked(bool value) {
    if (value == checked) return;
    checked = value;
    Changed();
}

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {
    color = clWhite;
    items.OnChanged = [this] { ItemsChanged(); };
}

void TComboBox::SetItemIndex(int value) {
    if (value < 0 || value >= items.Count()) value = -1;
    itemIndex = value;
    text = value < 0 ? UnicodeString() : items.Strings(value);
    Changed();
}

void TComboBox::SetStyle(TComboBoxStyle value) {
    style = value;
    SetItemIndex(itemIndex);
}

void TComboBox::Clear() {
    items.Clear();
    itemIndex = -1;
    text = UnicodeString();
    Changed();
}

void TComboBox::ItemsChanged() {
    // The list changed under the selection: keep it only while it still points at an item.
    if (itemIndex >= items.Count()) itemIndex = -1;
    SetItemIndex(itemIndex);
}

void TPanel::SetBevelOuter(TBevelCut value) {
    bevelOuter = value;
    Changed();
}

void TTabSheet::SetTabVisible(bool value) {
    tabVisible = value;
    Changed();
}

void TImage::LoadPng(std::vector<std::uint8_t> bytes) {
    png = std::move(bytes);
    Changed();
}
