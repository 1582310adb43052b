// The FLTK backend on a real X display (the test runs under xvfb-run): widgets mirror the model,
// user events reach the model's handlers, timers run on FLTK time-outs, boxes are modal.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include "core/wait.h"
#include "platform/vcl/ext_ctrls.h"
#include "platform/vcl/fltk/peers.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_ctrls.h"
#include "platform/win32/events.h"
#include "platform/win32/handles.h"
#include "tests/support/form_controls.h"

namespace {

using vcl::fltk::WidgetOf;

// Runs FLTK's loop for a while so deferred focus changes, redraws and time-outs happen.
void Pump(double seconds = 0.05) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end)
        Fl::wait(0.005);
}

struct FltkForm : ::testing::Test {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TGroupBox* group = Add<TGroupBox>(form.get(), u"Group", 20, 30, 200, 120);
    TEdit* first = Add<TEdit>(group, u"Edit1", 10, 20, 80, 21);
    TEdit* second = Add<TEdit>(group, u"Edit2", 10, 50, 80, 21);
    TButton* button = Add<TButton>(form.get(), u"Button1", 240, 30, 90, 25);
    TComboBox* combo = Add<TComboBox>(form.get(), u"ComboBox1", 240, 70, 90, 21);
    std::vector<std::string> events;

    FltkForm() {
        Application->Initialize();
        form->SetCaption(u"Проба окна");
        form->SetClientWidth(360);
        form->SetClientHeight(200);
        combo->SetStyle(csDropDownList);
        combo->Items().Assign({u"4096", u"1024"});
        form->ShowForm();
        Pump();
    }
    template <class T>
    T* Add(TWinControl* parent, const char16_t* name, int left, int top, int width, int height) {
        T* control = testing_support::AddControl<T>(*form, *parent, name);
        control->SetBounds(left, top, width, height);
        return control;
    }
    TNotifyEvent Record(std::string what) { return testing_support::RecordEvent(events, what); }
};

TEST_F(FltkForm, WidgetsMirrorTheModel) {
    auto* window = static_cast<Fl_Window*>(WidgetOf(*form));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->shown());
    EXPECT_STREQ(window->label(), "Проба окна");
    EXPECT_EQ(window->w(), 360);
    form->SetClientWidth(420);
    Pump();
    EXPECT_EQ(window->w(), 420);

    // Children of a group stand at the group's place plus their own.
    Fl_Widget* edit = WidgetOf(*second);
    EXPECT_EQ(edit->x(), 30);
    EXPECT_EQ(edit->y(), 80);
    EXPECT_EQ(edit->parent(), WidgetOf(*group));

    second->SetText(u"Ёж 1000");
    EXPECT_STREQ(static_cast<Fl_Input*>(edit)->value(), "Ёж 1000");
    second->SetReadOnly(true);
    EXPECT_TRUE(static_cast<Fl_Input*>(edit)->readonly());
    group->Hide();
    EXPECT_FALSE(WidgetOf(*group)->visible());
    EXPECT_FALSE(edit->visible_r());
    group->Show();
    EXPECT_TRUE(edit->visible_r());
    second->SetColor(clLightGreen);
    EXPECT_EQ(edit->color(), fl_rgb_color(220, 255, 220));
}

TEST_F(FltkForm, FocusMovesFireOnExitAndAHandlerCanTakeTheFocusBack) {
    first->OnExit = [&](TObject* sender) {
        events.push_back("exit:Edit1");
        static_cast<TEdit*>(sender)->SetFocus();
    };
    WidgetOf(*first)->take_focus();
    Pump();
    EXPECT_EQ(form->ActiveControl(), first);
    WidgetOf(*second)->take_focus();
    Pump();
    EXPECT_EQ(events, std::vector<std::string>{"exit:Edit1"});
    EXPECT_EQ(form->ActiveControl(), first);
    EXPECT_EQ(Fl::focus(), WidgetOf(*first));
}

TEST_F(FltkForm, ClickOnAButtonWhileAFieldRefusesToBeLeftFiresOneExitAndNoClick) {
    first->OnExit = [&](TObject* sender) {
        events.push_back("exit:Edit1");
        static_cast<TEdit*>(sender)->SetFocus();
    };
    button->OnClick = Record("click");
    WidgetOf(*first)->take_focus();
    Pump();
    // A press gives the button the focus at once; the release runs its callback.
    WidgetOf(*button)->take_focus();
    WidgetOf(*button)->do_callback();
    Pump();
    EXPECT_EQ(events, std::vector<std::string>{"exit:Edit1"});
    EXPECT_EQ(form->ActiveControl(), first);
    EXPECT_EQ(Fl::focus(), WidgetOf(*first));
}

TEST_F(FltkForm, TypingClickingAndChoosingReachTheModel) {
    first->OnChange = Record("change");
    button->OnClick = Record("click");
    combo->OnChange = Record("choose");

    auto* input = static_cast<Fl_Input*>(WidgetOf(*first));
    input->take_focus();
    input->value("12");
    input->do_callback();
    EXPECT_EQ(first->Text(), UnicodeString(u"12"));

    combo->SetItemIndex(1); // from code: shown, but no OnChange
    auto* choice = static_cast<Fl_Choice*>(WidgetOf(*combo));
    EXPECT_EQ(choice->value(), 1);
    choice->value(0);
    choice->do_callback();
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->Text(), UnicodeString(u"4096"));

    WidgetOf(*button)->do_callback();
    EXPECT_EQ(events, (std::vector<std::string>{"change:Edit1", "choose:ComboBox1", "click:Button1"}));
}

// The window's pixels in a rectangle as the screen shows them, three bytes (RGB) each.
std::vector<uchar> ScreenPixels(Fl_Window* window, int x, int y, int w, int h) {
    window->make_current();
    std::vector<uchar> rgb(static_cast<std::size_t>(w * h * 3));
    fl_read_image(rgb.data(), x, y, w, h);
    return rgb;
}

bool Plain(const std::vector<uchar>& rgb) {
    for (std::size_t i = 3; i < rgb.size(); ++i)
        if (rgb[i] != rgb[i % 3]) return false;
    return true;
}

// A widget beside the form's controls that counts how often it is drawn.
struct DrawCounter : Fl_Box {
    DrawCounter() : Fl_Box(300, 160, 20, 20) {}
    void draw() override {
        ++draws;
        Fl_Box::draw();
    }
    int draws = 0;
};

TEST_F(FltkForm, AChangeRepaintsItsOwnAreaAndLeavesNoTrace) {
    auto* window = static_cast<Fl_Window*>(WidgetOf(*form));
    auto* label = Add<TLabel>(form.get(), u"Label1", 20, 160, 120, 16);
    auto* counter = new DrawCounter;
    window->add(counter);
    label->SetCaption(u"WWWWWWWW");
    Pump();
    EXPECT_FALSE(Plain(ScreenPixels(window, 20, 160, 120, 16)));

    // A label has no box: the form's background under it is drawn again, and nothing else is.
    int draws = counter->draws;
    label->SetCaption(u"");
    Pump();
    EXPECT_TRUE(Plain(ScreenPixels(window, 20, 160, 120, 16)));
    EXPECT_EQ(counter->draws, draws);

    button->SetBounds(240, 120, 90, 25);
    Pump();
    EXPECT_TRUE(Plain(ScreenPixels(window, 240, 30, 90, 25)));
    EXPECT_FALSE(Plain(ScreenPixels(window, 240, 120, 90, 25)));
}

TEST_F(FltkForm, AWaitThatServesMessagesDrawsWhatIsDueWithNoTimerRunning) {
    // A loader started from a timer's handler: its wait serves the window, but no time-out is due
    // and no event arrives, so only the change itself asks for the window to be drawn.
    auto* window = static_cast<Fl_Window*>(WidgetOf(*form));
    auto* label = Add<TLabel>(form.get(), u"Label1", 20, 160, 120, 16);
    Pump();
    label->SetCaption(u"WWWWWWWW");
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_FALSE(WaitWithMessages(never, 50));
    CloseHandle(never);
    EXPECT_FALSE(Plain(ScreenPixels(window, 20, 160, 120, 16)));
}

// What the last answered box showed besides its buttons: its caption, then the labels of its other
// widgets (the icon's symbol, the text).
std::vector<std::string>& ModalShown() {
    static std::vector<std::string> shown;
    return shown;
}

// Presses the button of the modal box whose label is `answer` (or closes the box without one, as
// the window manager's close button does).
void AnswerModal(const char* answer) {
    static std::string wanted;
    wanted = answer ? answer : "";
    Fl::add_timeout(0.1, [](void*) {
        Fl_Window* modal = Fl::modal();
        if (!modal) return;
        ModalShown() = {modal->label() ? modal->label() : ""};
        Fl_Button* chosen = nullptr;
        for (int i = 0; i < modal->children(); ++i) {
            Fl_Widget* child = modal->child(i);
            auto* button = dynamic_cast<Fl_Button*>(child);
            if (button && button->label() && wanted == button->label()) chosen = button;
            if (!button && child->visible() && child->label() && *child->label())
                ModalShown().push_back(child->label());
        }
        if (chosen) {
            chosen->do_callback();
        } else {
            modal->do_callback();
        }
    });
}

TEST_F(FltkForm, MessageBoxesAreModalAndGiveTheChosenButtonAndTheIconTheTypeAsksFor) {
    struct Row {
        UINT type;
        const char* answer; // null: the box is closed
        int expected;
        const char* icon; // null: none
    };
    const Row rows[] = {
        {MB_YESNO, "Да", IDYES, nullptr},
        {MB_YESNO, "Нет", IDNO, nullptr},
        {MB_YESNO, nullptr, IDNO, nullptr},
        {MB_OK, "OK", IDOK, nullptr},
        {MB_OK, nullptr, IDOK, nullptr},
        {MB_OK | MB_ICONSTOP, "OK", IDOK, "×"},
        {MB_YESNO | MB_ICONQUESTION, "Да", IDYES, "?"},
        {MB_OK | MB_ICONEXCLAMATION, "OK", IDOK, "!"},
        {MB_OK | MB_ICONINFORMATION, nullptr, IDOK, "i"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "type " << row.type << ", " << (row.answer ? row.answer : "closed"));
        AnswerModal(row.answer);
        EXPECT_EQ(MessageBoxW(form->Handle(), u"Удалить?", u"Предупреждение", row.type), row.expected);
        std::vector<std::string> expected = {"Предупреждение", "Удалить?"};
        if (row.icon) expected.insert(expected.begin() + 1, row.icon);
        EXPECT_EQ(ModalShown(), expected);
    }
}

TEST_F(FltkForm, TimersRunOnTimeOutsAndSurviveAThrowingHandler) {
    auto* timer = new TTimer(form.get());
    timer->SetInterval(1);
    int runs = 0;
    timer->OnTimer = [&](TObject*) {
        timer->SetEnabled(false);
        if (++runs == 1) {
            AnswerModal(nullptr);
            throw Exception(u"сбой");
        }
        timer->SetEnabled(true);
    };
    Pump(0.5);
    EXPECT_TRUE(timer->Enabled());
    // Never faster than every 10 ms, and not stopped for good by the first run's exception.
    EXPECT_GE(runs, 10);
    EXPECT_LE(runs, 50);
    timer->SetEnabled(false);
    int stopped = runs;
    Pump(0.1);
    EXPECT_EQ(runs, stopped);
}

// FLTK 1.3 carries the lateness of the last time-out it ran into every time-out armed after it.
TEST_F(FltkForm, ATimerSwitchedOnAfterALateTimeOutWaitsItsWholeInterval) {
    Fl::add_timeout(
        0.01, [](void*) {}, nullptr);
    std::this_thread::sleep_for(std::chrono::seconds(1)); // a blocking stretch: the time-out runs late
    Fl::check();
    auto* timer = new TTimer(form.get());
    std::chrono::steady_clock::time_point fired{};
    timer->OnTimer = [&](TObject*) {
        if (fired == std::chrono::steady_clock::time_point{}) fired = std::chrono::steady_clock::now();
    };
    const auto armed = std::chrono::steady_clock::now();
    timer->SetInterval(500);
    Pump(0.8);
    ASSERT_NE(fired, std::chrono::steady_clock::time_point{});
    EXPECT_GE(std::chrono::duration<double>(fired - armed).count(), 0.49);
}

TEST_F(FltkForm, CloseRequestGoesThroughOnCloseQuery) {
    bool allow = false;
    int queries = 0;
    form->OnCloseQuery = [&](TObject*, bool& canClose) {
        ++queries;
        canClose = allow;
    };
    auto* window = static_cast<Fl_Window*>(WidgetOf(*form));
    window->do_callback();
    EXPECT_TRUE(window->shown());
    allow = true;
    window->do_callback();
    Pump();
    EXPECT_FALSE(window->shown());
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(queries, 2);
}

} // namespace
