#include "configurator/radio_module.h"

#include <optional>

#include "configurator/link/rsport.h"
#include "configurator/link/unsigned_field.h"
#include "configurator/link/value_text.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"

void TForm1::Button8Click(TObject* sender) {
    if (!SensorLink) return;
    if (Button8->Caption() == AddModeOffCaption) {
        // Only a click starts the add mode; code calls only end it.
        if (!sender) return;
        ComboBox3->SetItemIndex(-1);
        Button8->SetCaption(AddModeOnCaption);
        StatusTick = GetTickCount();
        Label11->SetCaption(UnicodeString().sprintf("%i", AddModeSeconds));
        Label11->Show();
    } else {
        Button8->SetCaption(AddModeOffCaption);
        Label11->Hide();
    }
    SensorLink->PushRequest(0x81);
}

void TForm1::ComboBox3Change(TObject*) {
    if (!SensorLink) return;
    std::optional<std::uint32_t> serial;
    if (ComboBox3->ItemIndex() >= 0)
        serial = UnsignedValue(ComboBox3->Items().Strings(ComboBox3->ItemIndex()));
    if (!serial) {
        // No device: requests go to the module itself again.
        SensorLink->address = SensorLink->moduleAddress;
        Edit11->SetText(UnicodeString());
        Edit10->SetText(UnicodeString());
        return;
    }
    const std::int32_t deviceAddress = SensorLink->RadioDevices[*serial];
    SensorLink->address = deviceAddress;
    ShowUnsigned(Edit11, *serial);
    ShowUnsigned(Edit10, static_cast<std::uint32_t>(deviceAddress));
    SensorLink->PushRequest(0x1A);
    SensorLink->PushRequest(0x05);
}

void TForm1::Button9Click(TObject*) {
    if (!SensorLink || Edit11->Text().IsEmpty()) return;
    UnicodeString question = u"Уверены, что хотите удалить из радио-модуля ДУТ с номером " + Edit11->Text();
    const int answer = MessageBoxW(Handle(), question.c_str(), u"Предупреждение", MB_YESNO);
    // The box pumps messages: the sensor may have been dropped while it was up.
    if (answer == IDYES && SensorLink) SensorLink->PushRequest(0x82);
}
