#pragma once
// A form as a top-level FLTK window.

#include "platform/vcl/fltk/peers.h"
#include "platform/vcl/forms.h"

namespace vcl::fltk {

Fl_Color ToFlColor(TColor colour);

class FormPeer : public WidgetPeer {
  public:
    explicit FormPeer(TForm& form);
    Fl_Group* Container() override;

  protected:
    void UpdateContent() override;
    // Placed and sized by UpdateContent instead: a window stands on the screen.
    bool Place() override { return false; }

  private:
    bool placed = false;
};

} // namespace vcl::fltk
