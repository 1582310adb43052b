#include "platform/vcl/fltk/form_peer.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>

#include "platform/vcl/user_input.h"

namespace vcl::fltk {

namespace {

class FormWindow : public Fl_Double_Window {
  public:
    explicit FormWindow(TForm& form) : Fl_Double_Window(0, 0, 100, 100), form(form) {
        end();
        callback(CloseRequested, this);
    }

  private:
    // The window manager's close button. FLTK also closes a window on Esc, which a form does not.
    static void CloseRequested(Fl_Widget*, void* data) {
        if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
        vcl::UserClose(static_cast<FormWindow*>(data)->form);
    }
    TForm& form;
};

} // namespace

FormPeer::FormPeer(TForm& form) : WidgetPeer(form, new FormWindow(form)) {}

Fl_Group* FormPeer::Container() {
    return static_cast<Fl_Group*>(widget);
}

void FormPeer::UpdateContent() {
    auto& form = static_cast<TForm&>(control);
    auto& window = static_cast<Fl_Double_Window&>(*widget);
    window.copy_label(label.c_str());
    window.color(ToFlColor(form.Color()));
    // The form's size is its client area; its place on screen is the window manager's after
    // the first showing (centred when the form asks for it).
    int x = window.x(), y = window.y();
    if (!placed && form.Visible()) {
        placed = true;
        x = form.Centered() ? Fl::x() + (Fl::w() - form.ClientWidth()) / 2 : form.Left();
        y = form.Centered() ? Fl::y() + (Fl::h() - form.ClientHeight()) / 2 : form.Top();
    }
    if (x != window.x() || y != window.y() || form.ClientWidth() != window.w() ||
        form.ClientHeight() != window.h())
        window.resize(x, y, form.ClientWidth(), form.ClientHeight());
}

} // namespace vcl::fltk
