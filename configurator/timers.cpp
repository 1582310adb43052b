#include "configurator/connection.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "configurator/port_use.h"
#include "configurator/radio_module.h"
#include "configurator/startup.h"
#include "platform/win32/clock.h"

std::uint32_t TForm1::LastPollTick = 0;
bool TForm1::PollClockSet = false;

namespace {

constexpr std::int32_t PollPeriodMs = 1000;

// Keeps the candidates in step with the ports present and sends each its identify probe.
void ScanAndProbe() {
    AppLog->Log(TString("ScanForPorts"));
    TString selection = CommandLineWords.empty() ? TString() : TString(CommandLineWords[0]);
    ScanForPorts(*CandidatePorts, CreateSensorLink, selection);
    for (auto& entry : *CandidatePorts) {
        auto* link = static_cast<RSport*>(entry.second);
        link->ClearRequests();
        link->PushRequest(0x33);
    }
}

// Once a second: the radio module's list or its selected device, or a sensor's values.
void Poll(TForm1& form, std::uint32_t now) {
    if (static_cast<std::int32_t>(now - TForm1::LastPollTick) < PollPeriodMs) return;
    if (form.GroupBox1->Visible()) {
        SensorLink->PushRequest(form.ComboBox3->ItemIndex() == -1 ? 0x80 : 0x86);
    } else if (!form.Edit2->Text().IsEmpty()) {
        SensorLink->PushRequest(0x06);
        SensorLink->PushRequest(0x34);
        SensorLink->PushRequest(0x35);
    }
    TForm1::LastPollTick = now;
}

// The add mode's countdown, or the seconds since the level code changed.
void ShowSeconds(TForm1& form, std::uint32_t now) {
    const std::int32_t seconds = static_cast<std::int32_t>(now - form.StatusTick) / 1000;
    if (form.Button8->Caption() == AddModeOnCaption) {
        form.Label11->SetCaption(UnicodeString().sprintf("%i", AddModeSeconds - seconds));
        if (form.Label11->Caption() == u"0") form.Button8Click(nullptr);
    } else {
        form.Label11->SetCaption(UnicodeString().sprintf("%i", seconds));
    }
}

void ServeConnected(TForm1& form) {
    const std::uint32_t now = GetTickCount();
    if (!TForm1::PollClockSet) {
        TForm1::LastPollTick = now - PollPeriodMs;
        TForm1::PollClockSet = true;
    }
    Poll(form, now);
    // A message box of the receive chain is up: the link it decodes for must stay.
    if (SensorLink->ReplyTimedOut() && !PortsInUse()) Disconnect();
    if (form.Label11->Visible()) ShowSeconds(form, now);
}

// Hands waiting input to the link, or to each candidate until one of them has been adopted (the
// adoption deletes the others and empties the table).
void ReceiveAll() {
    PortUseScope inUse;
    if (SensorLink) {
        SensorLink->CheckInput();
        return;
    }
    for (auto& entry : *CandidatePorts) {
        entry.second->CheckInput();
        if (SensorLink) return;
    }
}

} // namespace

void TForm1::Timer1Timer(TObject*) {
    Timer1->SetEnabled(false);
    if (SensorLink)
        ServeConnected(*this);
    else if (!PortsInUse())
        ScanAndProbe();
    Timer1->SetEnabled(true);
}

void TForm1::Timer2Timer(TObject*) {
    Timer2->SetEnabled(false);
    ReceiveAll();
    Timer2->SetEnabled(true);
    CloseIfHeld();
}
