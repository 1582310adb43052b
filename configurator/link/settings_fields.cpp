#include "configurator/link/settings_fields.h"

#include "configurator/main_form.h"

std::array<TEdit*, 3> BaseSettingsEdits() {
    return {Form1->Edit2, Form1->Edit3, Form1->Edit4};
}

std::array<TEdit*, 11> ExtendedSettingsEdits() {
    return {Form1->Edit20, Form1->Edit21, Form1->Edit18, Form1->Edit19, Form1->Edit22, Form1->Edit23,
            Form1->Edit24, Form1->Edit27, Form1->Edit28, Form1->Edit29, Form1->Edit30};
}

std::array<TEdit*, 4> FullSettingsEdits() {
    return {Form1->Edit32, Form1->Edit33, Form1->Edit34, Form1->Edit35};
}

std::uint8_t SettingsReadCode() {
    if (Form1->Panel2->Visible()) return 0x43;
    return Form1->ComboBox4->Visible() ? 0x3E : 0x31;
}

std::uint16_t SettingsFlagWord() {
    int sum = (Form1->CheckBox1->Checked() ? 1 : 0) + 2 * Form1->ComboBox2->ItemIndex() +
              4 * Form1->ComboBox4->ItemIndex() + 32 * (Form1->CheckBox2->Checked() ? 1 : 0);
    return static_cast<std::uint16_t>(sum);
}

void ShowSettingsFlagWord(std::uint32_t flags) {
    Form1->CheckBox1->SetChecked(flags & 1);
    Form1->CheckBox2->SetChecked((flags >> 5) & 1);
    Form1->ComboBox2->SetItemIndex((flags >> 1) & 1);
    // Bits 2..4 hold the output index as a signed 3-bit number: 4..7 stand for -4..-1.
    int output = static_cast<int>((flags >> 2) & 7);
    Form1->ComboBox4->SetItemIndex(output >= 4 ? output - 8 : output);
}
