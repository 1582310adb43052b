#include "configurator/connection.h"

#include "configurator/link/settings_fields.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "configurator/port_use.h"
#include "platform/win32/clock.h"

namespace {

constexpr unsigned ScanPeriodMs = 500;
constexpr unsigned ConnectedPeriodMs = 100;

void SetShown(std::initializer_list<TControl*> controls, bool shown) {
    for (TControl* control : controls)
        control->SetVisible(shown);
}

// Shows the controls of the adopted model; later lines win over earlier ones.
void ShowModelControls(TForm1& form, bool rs485) {
    const bool radio = form.GroupBox1->Visible();
    SetShown({form.Label16, form.Label17, form.ComboBox1, form.CheckBox2}, !rs485);
    SetShown({form.Edit6, form.Label6, form.Edit7, form.Label7, form.Label10, form.Edit10, form.Button5,
              form.Label19, form.ComboBox2},
             rs485);
    if (form.Panel2->Visible()) SetShown({form.Label10, form.Edit10, form.Button5}, true);
    if (!rs485 && form.ComboBox4->Visible())
        SetShown({form.Edit6, form.Edit7, form.Label6, form.Label7}, true);
    SetShown({form.Label25, form.Label26, form.Edit16, form.Edit17}, radio);
    SetShown({form.Label5, form.Label15, form.Label18, form.Button1, form.Button7, form.CheckBox1}, !radio);
    form.Label7->SetCaption(radio ? u"Уровень сигнала" : u"Частота, Гц");
}

// The caption keeps what stands before its first ':' and gets the model's name behind it.
void ShowModelCaption(TForm1& form, bool rs485) {
    const std::u16string& caption = form.Caption().Text();
    std::u16string base = caption.substr(0, caption.find(u':'));
    const char16_t* model = form.GroupBox1->Visible() ? u"Радио"
                            : rs485                   ? u"Зенток-D (RS-485)"
                                                      : u"Зенток-A (K-LINE)";
    form.SetCaption(UnicodeString(base + u": " + model));
}

} // namespace

std::uint16_t TForm1::LastLevelCode = 0;

RSport* CreateSensorLink(HANDLE handle, const TString& portName, const TString& friendlyName) {
    return new RSport(handle, portName, friendlyName);
}

void OnSensorFound(RSport* link) {
    if (SensorLink) return;
    auto entry = CandidatePorts->find(link->portName);
    if (entry != CandidatePorts->end() && entry->second == link) CandidatePorts->erase(entry);
    DeleteAllPorts(*CandidatePorts);
    SensorLink = link;
    link->speedDetection = false;

    TForm1& form = *Form1;
    form.Edit1->SetText(link->portName.ToUnicodeString());
    form.Image1->Hide();
    form.Image2->Show();
    form.Timer1->SetInterval(ConnectedPeriodMs);
    const bool rs485 = link->baud == Rs485Baud;
    if (rs485) {
        link->PushRequest(0x1A);
        link->PushRequest(0x1B);
        link->PushRequest(0x05);
    }
    ShowModelControls(form, rs485);
    ShowModelCaption(form, rs485);
}

void DeleteAllPorts(PortTable& table) {
    for (auto& entry : table)
        delete entry.second;
    table.clear();
}

void Disconnect() {
    if (!SensorLink) return;
    TForm1& form = *Form1;
    form.Button8Click(nullptr);
    delete SensorLink;
    SensorLink = nullptr;

    form.Image1->Show();
    form.Image2->Hide();
    form.Timer1->SetInterval(ScanPeriodMs);
    form.Label15->SetCaption(UnicodeString());
    form.GroupBox1->Hide();
    form.Panel2->Hide();
    form.ComboBox3->Clear();
    for (int i = 0; i < form.ControlCount(); ++i)
        ClearEditsProc(form.Controls(i));
    form.SetLevelCode(0);
}

void ClearEditsProc(TComponent* component) {
    // Edit9 holds the tube length the user typed for the next calibration; it outlives the sensor.
    auto* control = dynamic_cast<TControl*>(component);
    if (!control) return;
    if (control->ClassName() == u"TEdit" && control->Name() != u"Edit9") control->SetText(UnicodeString());
    auto* parent = dynamic_cast<TWinControl*>(control);
    if (!parent) return;
    for (int i = 0; i < parent->ControlCount(); ++i)
        ClearEditsProc(parent->Controls(i));
}

void TForm1::SetLevelCode(std::uint16_t code) {
    if (code == LastLevelCode) return;
    AppLog->Log(TString("Change"), TString(static_cast<int>(code)));
    LastLevelCode = code;
    StatusTick = GetTickCount();
    // RS-485 codes -13 to -11 and K-line modes 3 and 6 are the states whose duration is shown.
    const bool kline = SensorLink && SensorLink->baud != Rs485Baud;
    const bool timed = kline ? code == 3 || code == 6 : code >= 0xFFF3 && code <= 0xFFF5;
    Label11->SetVisible(timed);
    if (SensorLink && GroupBox1->Visible()) SensorLink->PushRequest(SettingsReadCode());
}

void TForm1::FormCloseQuery(TObject*, bool& canClose) {
    // The receive chain or a loader run is still on the stack: the close follows once it is over.
    if (HoldCloseRequest()) {
        canClose = false;
        return;
    }
    AppLog->Log(TString("CloseQuery received"));
    for (auto& entry : *CandidatePorts)
        delete entry.second;
    Disconnect();
    // No scan may reopen a port after the close request; Timer2 finds nothing left to read.
    Timer1->SetEnabled(false);
    CandidatePorts->clear();
    AppLog->Log(TString("Program CLOSED"));
}
