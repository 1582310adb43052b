#pragma once
// Forms and the application object that creates them and runs the message loop.

#include <functional>

#include "platform/vcl/controls.h"
#include "platform/vcl/sysutils.h"

using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TForm : public TWinControl {
  public:
    explicit TForm(TComponent* owner);

    UnicodeString ClassName() const override { return u"TForm"; }

    // The form's own size is its client area; the window frame is the window manager's.
    int ClientWidth() const { return Width(); }
    int ClientHeight() const { return Height(); }
    void SetClientWidth(int value) { SetBounds(Left(), Top(), value, Height()); }
    void SetClientHeight(int value) { SetBounds(Left(), Top(), Width(), value); }
    // Placed in the middle of the screen when first shown.
    bool Centered() const { return centered; }
    void SetCentered(bool value) { centered = value; }

    // The window handle that owns message boxes.
    HWND Handle() { return this; }

    // Shows the window (creating the backend's widgets on first use).
    void ShowForm();
    // The close request: OnCloseQuery may refuse it; otherwise the form hides and, when it is the
    // main form, the application ends its message loop.
    void Close();

    TWinControl* ActiveControl() const { return activeControl; }
    // Moves the focus to the control. The control that loses it gets its OnExit; when that handler
    // sets the focus somewhere itself (back into the field it checks), that choice stands and no
    // further OnExit is fired for it. `fromUser`: the backend has moved its widget focus already.
    void FocusControl(TWinControl* control, bool fromUser = false);
    void ControlDestroyed(TControl* control);

    TCloseQueryEvent OnCloseQuery;

  private:
    bool centered = false;
    TWinControl* activeControl = nullptr;
    bool inExit = false;
};

class TApplication : public TComponent {
  public:
    TApplication();

    UnicodeString ClassName() const override { return u"TApplication"; }

    void Initialize();
    bool MainFormOnTaskBar = false;
    UnicodeString Title;

    // Creates a form owned by the application; the first one becomes the main form.
    template <class T> void CreateForm(T*& reference) {
        reference = new T(this);
        if (!mainForm) mainForm = reference;
    }
    TForm* MainForm() const { return mainForm; }

    // Shows the main form and handles events until Terminate or until the main form closes.
    void Run();
    void ProcessMessages();
    void Terminate() { terminated = true; }
    bool Terminated() const { return terminated; }

    // A modal box with the exception's message (a full stop added when it ends in a letter or
    // digit), the application's title and an OK button.
    void ShowException(const Exception* error);

    // Deletes every form (the program's end); the application can create forms again afterwards.
    void DestroyForms();

  private:
    TForm* mainForm = nullptr;
    bool terminated = false;
};

extern TApplication* Application;
