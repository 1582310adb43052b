#include "platform/vcl/controls.h"

#include <algorithm>

#include "platform/vcl/forms.h"
#include "platform/vcl/sysutils.h"

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
    if (TForm* form = ParentForm(); form && form != this) form->ControlDestroyed(this);
    if (parent) std::erase(parent->controls, this);
}

void TControl::SetParent(TWinControl* value) {
    if (value == parent) return;
    if (parent) std::erase(parent->controls, this);
    parent = value;
    if (parent) {
        parent->controls.push_back(this);
        if (parent->Peer()) CreatePeers();
    }
}

TForm* TControl::ParentForm() {
    TControl* top = this;
    while (top->parent)
        top = top->parent;
    return dynamic_cast<TForm*>(top);
}

void TControl::SetBounds(int newLeft, int newTop, int newWidth, int newHeight) {
    left = newLeft;
    top = newTop;
    width = newWidth;
    height = newHeight;
    Changed();
}

void TControl::SetVisible(bool value) {
    if (value == visible) return;
    visible = value;
    Changed();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->parent)
        if (!c->visible) return false;
    return true;
}

void TControl::SetEnabled(bool value) {
    if (value == enabled) return;
    enabled = value;
    Changed();
}

void TControl::SetColor(TColor value) {
    if (value == color) return;
    color = value;
    Changed();
}

void TControl::SetFont(const TFont& value) {
    if (value == font) return;
    font = value;
    Changed();
}

void TControl::SetTextValue(const UnicodeString& value) {
    if (value == text) return;
    text = value;
    Changed();
}

void TControl::Repaint() {
    if (peer) peer->Repaint();
}

void TControl::Changed() {
    if (peer) peer->Update();
}

void TControl::CreatePeers() {
    if (!peer) peer = vcl::backend::CreatePeer(*this);
    CreateChildPeers();
    Changed();
}

TWinControl::~TWinControl() {
    while (!controls.empty())
        delete controls.back();
}

void TWinControl::CreateChildPeers() {
    for (TControl* child : controls)
        child->CreatePeers();
}

void TWinControl::SetFocus() {
    if (TForm* form = ParentForm()) form->FocusControl(this);
}

bool TWinControl::Focused() {
    TForm* form = ParentForm();
    return form && form->ActiveControl() == this;
}

namespace vcl {

bool Dispatch(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const Exception& error) {
        Application->ShowException(&error);
    } catch (const std::exception& error) {
        Exception wrapped(UnicodeString::FromUtf8(error.what()));
        Application->ShowException(&wrapped);
    } catch (...) {
        Exception wrapped(u"Unknown exception");
        Application->ShowException(&wrapped);
    }
    return false;
}

} // namespace vcl
