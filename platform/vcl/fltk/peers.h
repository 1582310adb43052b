#pragma once
// The FLTK mirror of each control: one widget per control, brought in line with the model after
// every change, and the widget's user events handed to the model as user input.

#include <memory>
#include <string>

#include <FL/Fl_Group.H>
#include <FL/Fl_Widget.H>

#include "platform/vcl/backend.h"
#include "platform/vcl/controls.h"

namespace vcl::fltk {

class WidgetPeer : public ControlPeer {
  public:
    WidgetPeer(TControl& control, Fl_Widget* widget);
    ~WidgetPeer() override;

    void Update() override;
    // Deferred to the next turn of the event loop: FLTK gives the focus to the widget it is
    // delivering an event to only after the event's handler has returned.
    void TakeFocus() override;
    void Repaint() override;
    // The widget got the keyboard focus from the user; the model hears of it on the next turn.
    void FocusArrived();
    // A user action on the widget tells the model of the focus itself.
    void CancelFocusNotice();
    TControl& Control() { return control; }
    Fl_Widget* Widget() { return widget; }
    // The group children are added to, or null for a control without children.
    virtual Fl_Group* Container() { return nullptr; }

  protected:
    // What differs by class: text, value, items, colours.
    virtual void UpdateContent() {}
    // Puts the widget where the model has the control, in window coordinates; true when it moved
    // or changed its size.
    virtual bool Place();
    // Marks the widget's area of its window, its label included, to be drawn again.
    void RedrawArea();

    TControl& control;
    Fl_Widget* widget;
    std::string label; // the widget's label text, kept alive here
};

// A widget of the given base class that reports focus arrivals to its peer.
template <class Base> class FocusReporting : public Base {
  public:
    FocusReporting(WidgetPeer& peer, int x, int y, int w, int h) : Base(x, y, w, h), peer(peer) {}
    int handle(int event) override {
        int result = Base::handle(event);
        if (event == FL_FOCUS) peer.FocusArrived();
        return result;
    }

  private:
    WidgetPeer& peer;
};

// A label text for FLTK: '@' starts a symbol there, so it is doubled.
std::string LabelText(const UnicodeString& text);

std::unique_ptr<ControlPeer> CreateWidgetPeer(TControl& control);
// The widget that mirrors the control, or null before the control has one.
Fl_Widget* WidgetOf(TControl& control);

} // namespace vcl::fltk
