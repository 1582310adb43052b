#include "platform/vcl/forms.h"

#include "platform/win32/files.h"
#include "platform/win32/messages.h"

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
    color = clBtnFace;
}

void TForm::ShowForm() {
    if (!Peer()) CreatePeers();
    SetVisible(true);
}

void TForm::Close() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return;
    SetVisible(false);
    if (Application->MainForm() == this) Application->Terminate();
}

void TForm::FocusControl(TWinControl* control, bool fromUser) {
    if (control == activeControl) return;
    TWinControl* leaving = activeControl;
    activeControl = control;
    if (!fromUser && control && control->Peer()) control->Peer()->TakeFocus();
    // Set from inside an OnExit: the handler's choice stands and fires nothing more.
    if (inExit) return;
    inExit = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{inExit};
    if (leaving && leaving->OnExit) leaving->OnExit(leaving);
    if (control && activeControl == control && control->OnEnter) control->OnEnter(control);
}

void TForm::ControlDestroyed(TControl* control) {
    if (activeControl == control) activeControl = nullptr;
}

namespace {

int MessageBoxThroughBackend(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return vcl::backend::ShowMessageBox(owner, UnicodeString(text), UnicodeString(caption), type);
}

// The Win32 message calls (ProcessMessages of the core helpers) see the backend's pending events
// as one waiting message whose dispatch handles them all.
class BackendPump : public win32::MessagePump {
  public:
    bool Peek(MSG& message, HWND, UINT, UINT, UINT) override {
        if (!vcl::backend::MessagesWaiting()) return false;
        message = MSG{};
        return true;
    }
    LRESULT Dispatch(const MSG&) override {
        vcl::backend::ProcessMessages();
        return 0;
    }
};

// Never destroyed: a program that ends through exit() (FLTK does so when the display fails) would
// otherwise delete its forms after the backend's own statics are gone. A normal end deletes them
// with DestroyForms.
TApplication& TheApplication() {
    static TApplication* application = new TApplication;
    return *application;
}

UnicodeString ProgramName() {
    WCHAR path[4096];
    DWORD length = GetModuleFileNameW(nullptr, path, 4096);
    std::u16string name(path, length);
    std::size_t slash = name.find_last_of(u"/\\");
    return UnicodeString(slash == std::u16string::npos ? name : name.substr(slash + 1));
}

} // namespace

TApplication* Application = &TheApplication();

TApplication::TApplication() : TComponent(nullptr) {
    static BackendPump pump;
    win32::SetMessageBoxHook(MessageBoxThroughBackend);
    win32::InstallMessagePump(&pump);
}

void TApplication::Initialize() {
    if (Title.IsEmpty()) Title = ProgramName();
    vcl::backend::Initialize();
}

void TApplication::Run() {
    if (!mainForm) return;
    mainForm->ShowForm();
    vcl::backend::RunMessageLoop(*this);
}

void TApplication::ProcessMessages() {
    vcl::backend::ProcessMessages();
}

void TApplication::ShowException(const Exception* error) {
    UnicodeString message = error ? error->Message() : UnicodeString();
    if (!message.IsEmpty()) {
        char16_t last = message.Text().back();
        if (last > u'.') message += u".";
    }
    HWND owner = mainForm ? mainForm->Handle() : nullptr;
    vcl::backend::ShowMessageBox(owner, message, Title, MB_OK | MB_ICONSTOP);
}

void TApplication::DestroyForms() {
    while (ComponentCount() > 0)
        delete Components(ComponentCount() - 1);
    mainForm = nullptr;
    terminated = false;
}
