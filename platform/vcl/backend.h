#pragma once
// What a backend supplies to the component model. Each backend library (headless for tests, FLTK
// for the real window) defines these functions; the program picks one at link time, so the model
// never asks which backend it runs on.

#include <memory>

#include "platform/vcl/unicode_string.h"
#include "platform/win32/message_box.h"

class TApplication;
class TControl;
class TOpenDialog;
class TTimer;

namespace vcl {

// The backend's mirror of one control. The model calls Update after every change of the control's
// state; the peer reads back whatever it shows.
class ControlPeer {
  public:
    virtual ~ControlPeer() = default;
    virtual void Update() = 0;
    virtual void TakeFocus() {}
    // Draws the control now, for code that blocks the message loop right after changing it.
    virtual void Repaint() {}
};

} // namespace vcl

namespace vcl::backend {

// A peer for the control, or null when the backend shows nothing for it.
std::unique_ptr<ControlPeer> CreatePeer(TControl& control);

// The timer's Enabled or Interval changed (arm, re-arm or stop it), or it is going away.
void TimerChanged(TTimer& timer);
void TimerDestroyed(TTimer& timer);

int ShowMessageBox(HWND owner, const UnicodeString& text, const UnicodeString& caption, UINT type);
// Shows the open dialog; true with the dialog's FileName set when the user picked a file.
bool ExecuteOpenDialog(TOpenDialog& dialog);

void Initialize();
// Runs until the application is terminated or its main form has closed.
void RunMessageLoop(TApplication& application);
// Handles every event that waits now (due timers among them) and draws what is due, without
// blocking.
void ProcessMessages();
// An event, a due timer or a pending redraw waits.
bool MessagesWaiting();

} // namespace vcl::backend
