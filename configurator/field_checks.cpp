#include "configurator/field_checks.h"

#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "platform/win32/message_box.h"

namespace {

constexpr std::size_t MaxFieldLength = 10; // UTF-16 code units

// Edit13, the radio module's address, is wired to the check but has no range: it is not checked.
void BuildEditTables() {
    if (EditLimits) return;
    EditLimits = new EditLimitTable{
        {u"Edit2", {0, 65535}}, {u"Edit3", {0, 65535}}, {u"Edit4", {0, 65535}},
        {u"Edit9", {0, 65535}}, {u"Edit10", {1, 254}},
    };
    EditFieldNames = new EditNameTable{
        {u"Edit2", TString(u"корпуса (0 - 65535)")}, {u"Edit3", TString(u"трубки (0 - 65535)")},
        {u"Edit4", TString(u"топлива (0 - 65535)")}, {u"Edit9", TString(u"длины трубки (0 - 65535)")},
        {u"Edit10", TString(u"адреса (0 - 255)")},
    };
}

// An optional '-' and one to ten decimal digits that fit in 32 signed bits; anything else (blanks,
// '+', hexadecimal, a lone '-', a value beyond the 32-bit range) is no number.
bool ParseDecimal(const std::u16string& text, std::int32_t& value) {
    if (text.empty() || text.size() > MaxFieldLength) return false;
    const bool negative = text[0] == u'-';
    const std::size_t first = negative ? 1 : 0;
    if (first == text.size()) return false;
    std::int64_t number = 0;
    for (std::size_t i = first; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return false;
        number = number * 10 + (text[i] - u'0');
    }
    if (negative) number = -number;
    if (number < INT32_MIN || number > INT32_MAX) return false;
    value = static_cast<std::int32_t>(number);
    return true;
}

} // namespace

bool IsControlShown(TControl* control) {
    if (!control->Visible()) return false;
    TWinControl* parent = control->Parent();
    if (!parent) return false;
    auto* sheet = parent->ClassName() == u"TTabSheet" ? dynamic_cast<TTabSheet*>(parent) : nullptr;
    return sheet ? sheet->TabVisible() : parent->Visible();
}

bool CheckIntField(TEdit* control, const TString& fieldName, HWND owner, std::int32_t minimum,
                   std::int32_t maximum) {
    if (!IsControlShown(control)) return true;
    std::int32_t value = 0;
    if (ParseDecimal(control->Text().Text(), value) && value >= minimum && value <= maximum) return true;
    TString message = TString(u"Некорректное значение в поле ") + fieldName;
    MessageBoxW(owner, message.c_str(), u"Ошибка ввода", MB_OK);
    return false;
}

void TForm1::Edit9Exit(TObject* sender) {
    if (!SensorLink) return;
    auto* edit = dynamic_cast<TEdit*>(sender);
    if (!edit) return;
    BuildEditTables();
    auto limits = EditLimits->find(edit->Name());
    if (limits == EditLimits->end()) return;
    const auto [minimum, maximum] = limits->second;
    if (CheckIntField(edit, EditFieldNames->at(edit->Name()), Handle(), minimum, maximum))
        edit->SetColor(clLightGreen);
    else
        edit->SetFocus();
}
