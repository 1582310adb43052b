// One peer class per control class, and the factory that picks it.

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_PNG_Image.H>
#include <FL/fl_draw.H>

#include "platform/vcl/fltk/fonts.h"
#include "platform/vcl/fltk/form_peer.h"
#include "platform/vcl/fltk/peers.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_ctrls.h"
#include "platform/vcl/user_input.h"

namespace vcl::fltk {

Fl_Color ToFlColor(TColor colour) {
    return fl_rgb_color(static_cast<uchar>(GetRValue(colour)), static_cast<uchar>(GetGValue(colour)),
                        static_cast<uchar>(GetBValue(colour)));
}

namespace {

// After a user event the widget shows the model's state again: a handler may have refused or
// changed what the widget already did on its own (a toggled mark, a chosen item).
template <class Control, void (*Act)(Control&, Fl_Widget&)> void UserCallback(Fl_Widget* widget, void* data) {
    auto* peer = static_cast<WidgetPeer*>(data);
    peer->CancelFocusNotice();
    Act(static_cast<Control&>(peer->Control()), *widget);
    peer->Update();
}

class LabelPeer : public WidgetPeer {
  public:
    explicit LabelPeer(TLabel& label) : WidgetPeer(label, new Fl_Box(0, 0, 0, 0)) {
        widget->box(FL_NO_BOX);
        widget->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_TOP);
    }
    void UpdateContent() override {
        widget->label(label.c_str());
        widget->labelcolor(FL_BLACK);
    }
};

class EditPeer : public WidgetPeer {
  public:
    explicit EditPeer(TEdit& edit) : WidgetPeer(edit, new FocusReporting<Fl_Input>(*this, 0, 0, 0, 0)) {
        input().when(FL_WHEN_CHANGED);
        input().callback(UserCallback<TEdit, Typed>, this);
    }
    void UpdateContent() override {
        auto& edit = static_cast<TEdit&>(control);
        std::string text = edit.Text().ToUtf8();
        if (text != input().value()) input().value(text.c_str());
        input().readonly(edit.ReadOnly() ? 1 : 0);
        input().color(ToFlColor(edit.Color()));
        input().textfont(FontFace(edit.Font()));
        input().textsize(FontSize(edit.Font()));
    }

  private:
    Fl_Input& input() { return static_cast<Fl_Input&>(*widget); }
    static void Typed(TEdit& edit, Fl_Widget& widget) {
        vcl::UserType(edit, UnicodeString::FromUtf8(static_cast<Fl_Input&>(widget).value()));
    }
};

class ButtonPeer : public WidgetPeer {
  public:
    explicit ButtonPeer(TButton& button)
        : WidgetPeer(button, new FocusReporting<Fl_Button>(*this, 0, 0, 0, 0)) {
        widget->callback(UserCallback<TButton, Clicked>, this);
    }
    void UpdateContent() override { widget->label(label.c_str()); }

  private:
    static void Clicked(TButton& button, Fl_Widget&) { vcl::UserClick(button); }
};

class CheckBoxPeer : public WidgetPeer {
  public:
    explicit CheckBoxPeer(TCheckBox& box)
        : WidgetPeer(box, new FocusReporting<Fl_Check_Button>(*this, 0, 0, 0, 0)) {
        widget->callback(UserCallback<TCheckBox, Toggled>, this);
    }
    void UpdateContent() override {
        widget->label(label.c_str());
        static_cast<Fl_Check_Button&>(*widget).value(static_cast<TCheckBox&>(control).Checked() ? 1 : 0);
    }

  private:
    // FLTK has flipped its own mark already; the model decides what stays.
    static void Toggled(TCheckBox& box, Fl_Widget&) { vcl::UserToggle(box); }
};

class ComboBoxPeer : public WidgetPeer {
  public:
    explicit ComboBoxPeer(TComboBox& box)
        : WidgetPeer(box, new FocusReporting<Fl_Choice>(*this, 0, 0, 0, 0)) {
        widget->callback(UserCallback<TComboBox, Chosen>, this);
        choice().down_box(FL_BORDER_BOX);
    }
    void UpdateContent() override {
        auto& box = static_cast<TComboBox&>(control);
        std::vector<UnicodeString> items;
        for (int i = 0; i < box.Items().Count(); ++i)
            items.push_back(box.Items().Strings(i));
        if (items != shownItems) {
            choice().clear();
            // Added as plain items: '/', '&', '_' and '\' would otherwise make submenus and shortcuts.
            for (const UnicodeString& item : items)
                choice().add(MenuText(item).c_str(), 0, nullptr, nullptr, 0);
            shownItems = items;
        }
        if (box.ItemIndex() < 0) {
            choice().value(static_cast<const Fl_Menu_Item*>(nullptr));
        } else {
            choice().value(box.ItemIndex());
        }
        choice().color(ToFlColor(box.Color()));
        choice().textfont(FontFace(box.Font()));
        choice().textsize(FontSize(box.Font()));
    }

  private:
    Fl_Choice& choice() { return static_cast<Fl_Choice&>(*widget); }
    static std::string MenuText(const UnicodeString& item) {
        std::string out;
        for (char c : item.ToUtf8()) {
            if (c == '/' || c == '\\' || c == '&' || c == '_') out += '\\';
            out += c;
        }
        return out;
    }
    static void Chosen(TComboBox& box, Fl_Widget& widget) {
        vcl::UserSelect(box, static_cast<Fl_Choice&>(widget).value());
    }
    std::vector<UnicodeString> shownItems;
};

// A framed group with its caption standing in a gap of the top line, as group boxes look.
class FramedGroup : public Fl_Group {
  public:
    FramedGroup() : Fl_Group(0, 0, 0, 0) {
        end();
        box(FL_NO_BOX);
        align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
    }
    void draw() override {
        if (damage() & ~FL_DAMAGE_CHILD) {
            fl_color(parent() ? parent()->color() : color());
            fl_rectf(x(), y(), w(), h());
            fl_font(labelfont(), labelsize());
            int top = y() + labelsize() / 2;
            fl_draw_box(FL_ENGRAVED_FRAME, x(), top, w(), h() - (top - y()), color());
            if (label() && *label()) {
                int width = static_cast<int>(fl_width(label())) + 8;
                fl_color(parent() ? parent()->color() : color());
                fl_rectf(x() + 6, y(), width, labelsize() + 2);
                fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
                fl_draw(label(), x() + 10, y() + labelsize() - fl_descent() + 1);
            }
        }
        draw_children();
    }
};

class GroupPeer : public WidgetPeer {
  public:
    GroupPeer(TWinControl& control, Fl_Group* group) : WidgetPeer(control, group) {}
    Fl_Group* Container() override { return static_cast<Fl_Group*>(widget); }
    void UpdateContent() override {
        widget->label(label.c_str());
        if (auto* panel = dynamic_cast<TPanel*>(&control))
            widget->box(panel->BevelOuter() == bvNone      ? FL_NO_BOX
                        : panel->BevelOuter() == bvLowered ? FL_THIN_DOWN_BOX
                                                           : FL_THIN_UP_BOX);
        if (auto* sheet = dynamic_cast<TTabSheet*>(&control); sheet && !sheet->TabVisible()) widget->hide();
    }
};

Fl_Group* PlainGroup() {
    auto* group = new Fl_Group(0, 0, 0, 0);
    group->end();
    group->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE);
    return group;
}

class ImagePeer : public WidgetPeer {
  public:
    explicit ImagePeer(TImage& image) : WidgetPeer(image, new Fl_Box(0, 0, 0, 0)) {
        widget->box(FL_NO_BOX);
        widget->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE);
    }
    void UpdateContent() override {
        auto& image = static_cast<TImage&>(control);
        if (image.Png() == shownPng) return;
        shownPng = image.Png();
        picture.reset();
        if (!shownPng.empty())
            picture =
                std::make_unique<Fl_PNG_Image>(nullptr, shownPng.data(), static_cast<int>(shownPng.size()));
        widget->image(picture && picture->w() > 0 ? picture.get() : nullptr);
    }

  private:
    std::vector<std::uint8_t> shownPng;
    std::unique_ptr<Fl_PNG_Image> picture;
};

} // namespace

std::unique_ptr<ControlPeer> CreateWidgetPeer(TControl& control) {
    if (auto* form = dynamic_cast<TForm*>(&control)) return std::make_unique<FormPeer>(*form);
    if (auto* label = dynamic_cast<TLabel*>(&control)) return std::make_unique<LabelPeer>(*label);
    if (auto* edit = dynamic_cast<TEdit*>(&control)) return std::make_unique<EditPeer>(*edit);
    if (auto* button = dynamic_cast<TButton*>(&control)) return std::make_unique<ButtonPeer>(*button);
    if (auto* box = dynamic_cast<TCheckBox*>(&control)) return std::make_unique<CheckBoxPeer>(*box);
    if (auto* combo = dynamic_cast<TComboBox*>(&control)) return std::make_unique<ComboBoxPeer>(*combo);
    if (auto* image = dynamic_cast<TImage*>(&control)) return std::make_unique<ImagePeer>(*image);
    if (auto* group = dynamic_cast<TGroupBox*>(&control))
        return std::make_unique<GroupPeer>(*group, new FramedGroup);
    if (auto* windowed = dynamic_cast<TWinControl*>(&control))
        return std::make_unique<GroupPeer>(*windowed, PlainGroup());
    return nullptr;
}

} // namespace vcl::fltk
