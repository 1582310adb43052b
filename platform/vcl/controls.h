#pragma once
// Visual controls: a place in a parent, a size, visibility, a text and a colour. Windowed controls
// hold child controls and take the keyboard focus.

#include <memory>
#include <vector>

#include "platform/vcl/backend.h"
#include "platform/vcl/classes.h"
#include "platform/vcl/graphics.h"

class TForm;
class TWinControl;

class TControl : public TComponent {
  public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    UnicodeString ClassName() const override { return u"TControl"; }

    TWinControl* Parent() const { return parent; }
    void SetParent(TWinControl* value);
    // The form this control stands on (itself for a form), or null while it has no parent.
    TForm* ParentForm();

    int Left() const { return left; }
    int Top() const { return top; }
    int Width() const { return width; }
    int Height() const { return height; }
    void SetBounds(int left, int top, int width, int height);

    // The control's own flag; a control inside a hidden parent keeps its flag but is not shown.
    bool Visible() const { return visible; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Shown on screen: this control and every parent visible.
    bool Showing() const;

    bool Enabled() const { return enabled; }
    void SetEnabled(bool value);

    // Caption and Text are one text, as in the framework: labels and buttons call it Caption, edits Text.
    const UnicodeString& Caption() const { return text; }
    void SetCaption(const UnicodeString& value) { SetTextValue(value); }
    const UnicodeString& Text() const { return text; }
    void SetText(const UnicodeString& value) { SetTextValue(value); }

    TColor Color() const { return color; }
    void SetColor(TColor value);
    const TFont& Font() const { return font; }
    void SetFont(const TFont& value);
    // Draws the control at once instead of at the next turn of the message loop.
    void Repaint();

    vcl::ControlPeer* Peer() const { return peer.get(); }
    // Creates the backend's mirror of this control and of its children (a form does it when shown).
    void CreatePeers();

  protected:
    virtual void SetTextValue(const UnicodeString& value);
    // Tells the peer that something it shows changed.
    void Changed();
    virtual void CreateChildPeers() {}

    UnicodeString text;
    TColor color = clBtnFace;

  private:
    TWinControl* parent = nullptr;
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    bool enabled = true;
    TFont font;
    std::unique_ptr<vcl::ControlPeer> peer;
};

class TWinControl : public TControl {
  public:
    explicit TWinControl(TComponent* owner) : TControl(owner) {}
    // Deletes its child controls first, so no peer outlives the peer of its parent.
    ~TWinControl() override;

    UnicodeString ClassName() const override { return u"TWinControl"; }

    int ControlCount() const { return static_cast<int>(controls.size()); }
    TControl* Controls(int index) const { return controls.at(static_cast<std::size_t>(index)); }

    // Moves the keyboard focus here; the control that loses it gets its OnExit.
    void SetFocus();
    bool Focused();

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

  protected:
    void CreateChildPeers() override;

  private:
    friend class TControl;
    std::vector<TControl*> controls;
};

namespace vcl {
// Runs an event handler the way the message loop does: an exception that escapes it is shown
// with Application->ShowException and goes no further. True when the handler ended normally.
bool Dispatch(const std::function<void()>& handler);
} // namespace vcl
