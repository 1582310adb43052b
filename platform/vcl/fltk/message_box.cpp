// Message boxes of our own: FLTK's ask functions always draw an icon of their own choosing, while
// a box must show the one its type asks for, or none. The box runs FLTK's loop while it is up, so
// the program's timers keep firing under it.

#include <algorithm>
#include <string>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include "platform/vcl/backend.h"
#include "platform/vcl/fltk/modal.h"
#include "platform/vcl/fltk/peers.h"

namespace vcl::backend {

namespace {

using fltk::RunModal;

constexpr int Margin = 10;
constexpr int IconSize = 32;
constexpr int ButtonWidth = 90;
constexpr int ButtonHeight = 25;
// Longer lines wrap at this width (pixels).
constexpr int TextWidthLimit = 560;
constexpr Fl_Fontsize TextSize = 13;
// FLTK draws a label aligned left or right this far in from each side of its widget.
constexpr int LabelInset = 3;

// The shape, colour and symbol of each icon a type can ask for.
struct IconLook {
    const char* symbol;
    Fl_Color face;
    Fl_Color ink;
    bool triangle;
};

// Null when the type asks for no icon.
const IconLook* IconFor(UINT type) {
    static const IconLook stop{"×", fl_rgb_color(200, 30, 30), FL_WHITE, false};
    static const IconLook question{"?", fl_rgb_color(30, 90, 200), FL_WHITE, false};
    static const IconLook exclamation{"!", fl_rgb_color(250, 200, 0), FL_BLACK, true};
    static const IconLook information{"i", fl_rgb_color(30, 90, 200), FL_WHITE, false};
    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP:
        return &stop;
    case MB_ICONQUESTION:
        return &question;
    case MB_ICONEXCLAMATION:
        return &exclamation;
    case MB_ICONINFORMATION:
        return &information;
    default:
        return nullptr;
    }
}

// A disc or a triangle with the icon's symbol as its label.
class MessageIcon : public Fl_Widget {
  public:
    MessageIcon(int x, int y, const IconLook& look)
        : Fl_Widget(x, y, IconSize, IconSize, look.symbol), look(look) {
        labelfont(FL_HELVETICA_BOLD);
        labelsize(22);
        labelcolor(look.ink);
    }
    void draw() override {
        fl_color(look.face);
        if (look.triangle) {
            fl_polygon(x() + w() / 2, y(), x() + w(), y() + h() - 1, x(), y() + h() - 1);
            // The triangle's middle sits low: so does its symbol.
            draw_label(x(), y() + h() / 6, w(), h() - h() / 6, FL_ALIGN_CENTER);
        } else {
            fl_pie(x(), y(), w(), h(), 0, 360);
            draw_label();
        }
    }

  private:
    const IconLook& look;
};

// A button of the box and the answer it gives.
struct Choice {
    const char* label;
    int answer;
};

// The box's state while it is up: the answer so far, which closing it leaves as it is.
struct BoxRun {
    Fl_Window* window;
    int answer;
};

struct ButtonData {
    BoxRun* run;
    int answer;
};

void Chosen(Fl_Widget*, void* data) {
    auto* button = static_cast<ButtonData*>(data);
    button->run->answer = button->answer;
    button->run->window->hide();
}

// Escape and the window manager's close button.
void Closed(Fl_Widget* window, void*) {
    window->hide();
}

// The text's size in the box's font, wrapped where it is too wide.
void MeasureText(const std::string& text, int& width, int& height) {
    fl_font(FL_HELVETICA, TextSize);
    width = height = 0;
    fl_measure(text.c_str(), width, height);
    if (width <= TextWidthLimit) return;
    width = TextWidthLimit;
    height = 0;
    fl_measure(text.c_str(), width, height);
}

// Adds the buttons from left to right, flush right on the row at `top`; the first is the default
// (Enter), and the window is placed with it under the mouse as FLTK's own boxes are.
void AddButtons(BoxRun& run, const std::vector<Choice>& choices, std::vector<ButtonData>& data, int top) {
    // Reserved, so the callbacks' pointers into it stay valid.
    data.reserve(choices.size());
    int left = run.window->w() - static_cast<int>(choices.size()) * (ButtonWidth + Margin);
    for (const Choice& choice : choices) {
        Fl_Button* button = data.empty()
                                ? new Fl_Return_Button(left, top, ButtonWidth, ButtonHeight, choice.label)
                                : new Fl_Button(left, top, ButtonWidth, ButtonHeight, choice.label);
        data.push_back({&run, choice.answer});
        button->callback(Chosen, &data.back());
        if (data.size() == 1) run.window->hotspot(button);
        left += ButtonWidth + Margin;
    }
}

int RunBox(const std::string& caption, const std::string& text, const std::vector<Choice>& choices,
           int closed, const IconLook* icon) {
    int textWidth = 0, textHeight = 0;
    MeasureText(text, textWidth, textHeight);
    const int textLeft = Margin + (icon ? IconSize + Margin : 0);
    const int contentHeight = std::max(textHeight, icon ? IconSize : 0);
    const int buttonsWidth = static_cast<int>(choices.size()) * (ButtonWidth + Margin) + Margin;
    Fl_Window window(std::max(textLeft + textWidth + Margin, buttonsWidth),
                     contentHeight + ButtonHeight + 3 * Margin);
    window.copy_label(caption.c_str());
    window.callback(Closed);
    if (icon) new MessageIcon(Margin, Margin, *icon);
    auto* message = new Fl_Box(textLeft - LabelInset, Margin + (contentHeight - textHeight) / 2,
                               textWidth + 2 * LabelInset, textHeight);
    message->copy_label(text.c_str());
    message->labelfont(FL_HELVETICA);
    message->labelsize(TextSize);
    message->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    BoxRun run{&window, closed};
    std::vector<ButtonData> data;
    AddButtons(run, choices, data, contentHeight + 2 * Margin);
    window.end();
    RunModal(window);
    return run.answer;
}

} // namespace

int ShowMessageBox(HWND, const UnicodeString& text, const UnicodeString& caption, UINT type) {
    const bool yesNo = (type & MB_TYPEMASK) == MB_YESNO;
    const std::vector<Choice> choices =
        yesNo ? std::vector<Choice>{{"Да", IDYES}, {"Нет", IDNO}} : std::vector<Choice>{{"OK", IDOK}};
    return RunBox(caption.ToUtf8(), fltk::LabelText(text), choices, yesNo ? IDNO : IDOK, IconFor(type));
}

} // namespace vcl::backend
