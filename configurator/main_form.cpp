#include "configurator/main_form.h"

#include <string_view>

#include "configurator/main_form_layout.h"
#include "configurator/main_globals.h"
#include "configurator/startup.h"
#include "configurator/status_pictures.h"
#include "core/module_path.h"
#include "platform/win32/folders.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* owner) : TForm(owner) {
    vcl::ReadForm(*this, MainFormLayout());
    BindComponents();
    WireEvents();
    Image1->LoadPng(NotConnectedPicture());
    Image2->LoadPng(ConnectedPicture());

    AppLog->Log(TString());
    AppLog->Log(TString("Program OPENED"));
    if (!CommandLineWords.empty() && std::u16string_view(CommandLineWords[0]) == AccessWord) {
        GroupBox5->Show();
        CommandLineWords.erase(CommandLineWords.begin());
    }
    // Status records go here; a folder that exists already or cannot be made is not reported.
    TString folder = GetModulePath(true) + "/ZNTK";
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
}

void TForm1::FitWidthToSettings() {
    if (GroupBox5->Visible()) return;
    SetClientWidth(GroupBox4->Left() + (GroupBox4->Visible() ? GroupBox4->Width() + 12 : 0));
}
