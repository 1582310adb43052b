#include "platform/vcl/fltk/modal.h"

#include <FL/Fl.H>

namespace vcl::fltk {

void RunModal(Fl_Window& window, Fl_Widget* focus) {
    // A grab (an open drop-down list) would keep every event from a modal window.
    Fl_Window* grabbed = Fl::grab();
    if (grabbed) Fl::grab(nullptr);
    window.set_modal();
    window.show();
    // Only once shown: a focus taken before would show the window before it is modal.
    if (focus) focus->take_focus();
    while (window.shown())
        Fl::wait();
    if (grabbed) Fl::grab(grabbed);
}

} // namespace vcl::fltk
