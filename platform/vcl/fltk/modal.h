#pragma once
// The one way our dialogs run: modal, in FLTK's own loop, so the program's timers keep firing
// while a dialog is up.

#include <FL/Fl_Window.H>

namespace vcl::fltk {

// Shows the window modal, gives the keyboard focus to `focus` where there is one, and returns when
// the window has been hidden.
void RunModal(Fl_Window& window, Fl_Widget* focus = nullptr);

} // namespace vcl::fltk
