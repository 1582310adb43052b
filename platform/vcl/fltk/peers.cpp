#include "platform/vcl/fltk/peers.h"

#include <algorithm>

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include "platform/vcl/fltk/fonts.h"
#include "platform/vcl/user_input.h"

namespace vcl::fltk {

namespace {

// The widget the model last gave the focus to; only the latest request counts.
Fl_Widget* pendingFocus = nullptr;

void DeferredFocus(void*) {
    Fl_Widget* target = pendingFocus;
    pendingFocus = nullptr;
    if (target) target->take_focus();
}

// A stale notice is dropped: the widget lost the focus again, or the model has sent the focus
// elsewhere meanwhile (an OnExit that keeps the user in a field).
void DeferredFocusArrived(void* data) {
    auto* peer = static_cast<WidgetPeer*>(data);
    auto* control = dynamic_cast<TWinControl*>(&peer->Control());
    if (!control || Fl::focus() != peer->Widget()) return;
    if (pendingFocus && pendingFocus != peer->Widget()) return;
    vcl::UserFocus(*control);
}

} // namespace

std::string LabelText(const UnicodeString& text) {
    std::string utf8 = text.ToUtf8();
    std::string out;
    for (char c : utf8) {
        out += c;
        if (c == '@') out += '@';
    }
    return out;
}

Fl_Widget* WidgetOf(TControl& control) {
    auto* peer = dynamic_cast<WidgetPeer*>(control.Peer());
    return peer ? peer->Widget() : nullptr;
}

WidgetPeer::WidgetPeer(TControl& control, Fl_Widget* widget) : control(control), widget(widget) {
    TWinControl* parent = control.Parent();
    auto* parentPeer = parent ? dynamic_cast<WidgetPeer*>(parent->Peer()) : nullptr;
    if (parentPeer && parentPeer->Container()) parentPeer->Container()->add(widget);
}

WidgetPeer::~WidgetPeer() {
    if (pendingFocus == widget) pendingFocus = nullptr;
    Fl::remove_timeout(DeferredFocusArrived, this);
    if (widget->parent()) widget->parent()->remove(widget);
    delete widget;
}

bool WidgetPeer::Place() {
    int x = control.Left(), y = control.Top();
    for (TWinControl* p = control.Parent(); p && p->Parent(); p = p->Parent()) {
        x += p->Left();
        y += p->Top();
    }
    if (x == widget->x() && y == widget->y() && control.Width() == widget->w() &&
        control.Height() == widget->h())
        return false;
    widget->resize(x, y, control.Width(), control.Height());
    return true;
}

void WidgetPeer::RedrawArea() {
    // A hidden widget shows nothing; hiding it has had its place repainted already.
    if (!widget->visible_r()) return;
    Fl_Window* window = widget->window();
    if (!window) {
        widget->redraw();
        return;
    }
    // A label may reach beyond its widget on either side, depending on its alignment.
    int labelWidth = 0, labelHeight = 0;
    widget->measure_label(labelWidth, labelHeight);
    int overX = std::max(0, labelWidth - widget->w()) + 1;
    int overY = std::max(0, labelHeight - widget->h()) + 1;
    window->damage(FL_DAMAGE_ALL, widget->x() - overX, widget->y() - overY, widget->w() + 2 * overX,
                   widget->h() + 2 * overY);
}

void WidgetPeer::Update() {
    bool moved = Place();
    label = LabelText(control.Caption());
    widget->labelfont(FontFace(control.Font()));
    widget->labelsize(FontSize(control.Font()));
    if (control.Enabled()) {
        widget->activate();
    } else {
        widget->deactivate();
    }
    UpdateContent();
    if (control.Visible()) {
        widget->show();
    } else {
        widget->hide();
    }
    // A moved container moves its children with it; put them back where the model has them.
    if (auto* container = dynamic_cast<TWinControl*>(&control))
        for (int i = 0; i < container->ControlCount(); ++i)
            if (auto* child = dynamic_cast<WidgetPeer*>(container->Controls(i)->Peer()))
                moved = child->Place() || moved;
    // Only what changed is drawn again, the parents' background under it included (a label has no
    // box of its own); a move leaves its old place to repaint as well.
    if (moved && widget->window()) widget->window()->redraw();
    RedrawArea();
}

void WidgetPeer::Repaint() {
    Update();
    Fl::flush();
}

void WidgetPeer::TakeFocus() {
    pendingFocus = widget;
    if (!Fl::has_timeout(DeferredFocus)) Fl::add_timeout(0.0, DeferredFocus);
}

void WidgetPeer::CancelFocusNotice() {
    Fl::remove_timeout(DeferredFocusArrived, this);
}

void WidgetPeer::FocusArrived() {
    Fl::remove_timeout(DeferredFocusArrived, this);
    Fl::add_timeout(0.0, DeferredFocusArrived, this);
}

} // namespace vcl::fltk
