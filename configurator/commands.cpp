#include "configurator/link/rsport.h"
#include "configurator/link/settings_fields.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "configurator/status_record.h"

namespace {

// The settings write of the model the window shows; its read-back is SettingsReadCode.
RequestCode SettingsWriteCode(const TForm1& form) {
    if (form.Panel2->Visible()) return 0x44;
    return form.ComboBox4->Visible() ? 0x3F : 0x32;
}

struct Command {
    TButton* TForm1::*button;
    RequestCode code; // 0: the model's settings write
    const char16_t* status;
};

const Command Commands[] = {
    {&TForm1::Button1, 0x36, u"Сброс автокалибровки"},
    {&TForm1::Button2, 0x09, u"Калибровка пустого бака"},
    {&TForm1::Button3, 0x08, u"Калибровка полного бака"},
    {&TForm1::Button4, 0x30, u"Калибровка по длине трубки"},
    {&TForm1::Button5, 0x03, u"Запись адреса"},
    {&TForm1::Button6, 0, u"Запись калибровки"},
};

} // namespace

void TForm1::Button1Click(TObject* sender) {
    if (!SensorLink) return;
    for (const Command& command : Commands) {
        if (this->*command.button != sender) continue;
        SensorLink->PushRequest(command.code ? command.code : SettingsWriteCode(*this));
        SensorLink->PushRequest(SettingsReadCode());
        SetStatus(command.status);
        return;
    }
}

void TForm1::Button10Click(TObject*) {
    if (SensorLink) SensorLink->PushRequest(0x46);
}
