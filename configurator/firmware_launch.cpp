#include "configurator/firmware_launch.h"

#include <algorithm>

#include "configurator/connection.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "configurator/port_use.h"
#include "core/file_read.h"
#include "core/launch.h"
#include "platform/win32/clock.h"
#include "platform/win32/command_line.h"
#include "platform/win32/message_box.h"

namespace {

constexpr const char* LoaderNameFile = "loader_name.txt";
// The loaders lie in this folder of the current folder; the command line names it as Windows does.
constexpr const char* LoaderFolder = "FIRMWARE\\";

// Editors end a text file with a line break (LF, or CR LF from Windows), which no program name
// carries.
TString FirstLine(TString text) {
    text.resize(std::min(text.find_first_of(u"\r\n"), text.size()));
    return text;
}

LoaderModel ConnectedModel(TForm1& form) {
    return {form.GroupBox1->Visible(), form.ComboBox4->Visible(), SensorLink->baud == Rs485Baud};
}

// A sensor asked into its boot loader stays there until a loader flashes it, and no scan finds it
// meanwhile, so a loader that is not there is named before anything is sent.
bool LoaderPresent(TForm1& form) {
    const TString program = TString(LoaderFolder) + ChooseLoader(ConnectedModel(form)).fileName;
    if (win32::FindProgram(program, false)) return true;
    MessageBoxW(form.Handle(), (TString(u"Не найдена программа прошивки ") + program).c_str(), u"Ошибка",
                MB_OK | MB_ICONSTOP);
    return false;
}

} // namespace

LoaderChoice ChooseLoader(const LoaderModel& model) {
    LoaderChoice loader;
    if (model.radio)
        loader = {TString("mflasher.exe"), TString(" 115200 -e -f")};
    else if (model.controller)
        loader = {TString("xflasher.exe"), TString(model.rs485 ? " 115200 -e -f" : " 115200 -e")};
    else if (model.rs485)
        loader = {TString("rflasher.exe"), TString()};
    else
        loader = {TString("kflasher.exe"), TString()};
    if (FileExists(TString(LoaderNameFile)))
        loader.fileName = FirstLine(ReadTextFile(TString(LoaderNameFile), CodePageCyrillic));
    return loader;
}

TString LoaderCommandLine(const LoaderChoice& loader, const TString& portName, const TString& imagePath) {
    return TString(LoaderFolder) + loader.fileName + " " + portName + " \"" + imagePath + "\"" + loader.tail;
}

void RunFirmwareLoader() {
    if (!SensorLink) return;
    TForm1& form = *Form1;
    const TString portName = SensorLink->portName;
    const LoaderChoice loader = ChooseLoader(ConnectedModel(form));
    Disconnect();
    // No scan may open the port while the loader needs it.
    form.Timer1->SetEnabled(false);
    AppLog->Log(TString("sleep 1000"));
    Sleep(1000);
    AppLog->Log(TString("sleep done"));
    const TString command = LoaderCommandLine(loader, portName, TString(form.OpenDialog1->FileName));
    {
        PortUseScope loaderRunning;
        Launch(command, true, false, false, false);
    }
    form.Label15->SetCaption(u"Готово");
    form.Timer1->SetEnabled(true);
    CloseIfHeld();
}

void TForm1::Button7Click(TObject*) {
    // A click while a receive call is on the stack (a box of the decoder is up) waits for nothing:
    // the firmware start would delete the link that call is using.
    if (!SensorLink || PortsInUse()) return;
    if (!OpenDialog1->Execute() || !SensorLink || !LoaderPresent(*this)) return;
    Label15->SetCaption(u"Прошивка");
    // The next steps block the window, so the state is drawn now.
    Label15->Repaint();
    SensorLink->PushRequest(0x3A);
    if (ComboBox4->Visible()) return; // the decoder starts the loader once the sensor agrees
    Sleep(100);
    RunFirmwareLoader();
}
