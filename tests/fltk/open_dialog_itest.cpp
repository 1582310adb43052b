// The open dialog on the FLTK backend under a virtual X server, used as a person uses it: keys typed
// one at a time at typing pace and clicks, all through the X server.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>

#include "platform/vcl/ext_ctrls.h"
#include "platform/vcl/forms.h"
#include "tests/fltk/x_user.h"
#include "tests/support/current_folder.h"

namespace {

using namespace testing_support;
using Clock = std::chrono::steady_clock;

struct Step {
    enum Kind { Type, Key, Click, DoubleClick, Shows } kind;
    std::string text;
};

// What the dialog shows, a text each: its caption, then each visible widget's label with a field's
// text after it ('|' marks the field with the focus), and the list's rows in place of the list.
std::vector<std::string> Texts(Fl_Window& window) {
    auto text = [](Fl_Widget* widget) { return std::string(widget->label() ? widget->label() : ""); };
    std::vector<std::string> texts{text(&window)};
    for (int i = 0; i < window.children(); ++i) {
        Fl_Widget* child = window.child(i);
        if (auto* list = dynamic_cast<Fl_Browser*>(child)) {
            for (int line = 1; line <= list->size(); ++line)
                texts.push_back(list->text(line));
        } else if (auto* field = dynamic_cast<Fl_Input*>(child)) {
            texts.push_back(text(child) + " " + field->value() + (Fl::focus() == child ? "|" : ""));
        } else if (child->visible()) {
            texts.push_back(text(child));
        }
    }
    return texts;
}

// Takes the steps in order while the dialog is up, each once the one before has had its effect.
class DialogUser {
  public:
    explicit DialogUser(std::vector<Step> steps) : steps(std::move(steps)) {
        Fl::add_timeout(0.02, Tick, this);
    }
    ~DialogUser() { Fl::remove_timeout(Tick, this); }
    std::size_t Taken() const { return next; }
    // What the dialog showed when it came up.
    const std::vector<std::string>& FirstShown() const { return firstShown; }

  private:
    static void Tick(void* data) {
        Fl::repeat_timeout(0.02, Tick, data);
        static_cast<DialogUser*>(data)->Next();
    }
    void Next() {
        Fl_Window* window = Fl::modal();
        if (!window) return;
        if (x.Busy()) {
            since = Clock::now();
            return;
        }
        const double waited = std::chrono::duration<double>(Clock::now() - since).count();
        if (firstShown.empty()) {
            firstShown = Texts(*window);
            x.Focus(*window);
        } else if (next == steps.size()) {
            if (waited < 5) return;
            ADD_FAILURE() << "the dialog stayed open after the last step";
            window->do_callback();
        } else if (Take(*window, steps[next]) || waited > 3) {
            EXPECT_LT(waited, 3) << "step " << next << ": " << steps[next].text;
            ++next;
        } else {
            return;
        }
        since = Clock::now();
    }
    // False while a check waits for what it expects.
    bool Take(Fl_Window& window, const Step& step) {
        const std::vector<std::string> shown = Texts(window);
        switch (step.kind) {
        case Step::Type:
            x.Type(step.text);
            return true;
        case Step::Key:
            x.Key(step.text);
            return true;
        case Step::Click:
        case Step::DoubleClick:
            x.ClickRow(window, *FindWidget<Fl_Browser>(window), step.text, step.kind == Step::Click ? 1 : 2);
            return true;
        case Step::Shows:
            return std::find(shown.begin(), shown.end(), step.text) != shown.end();
        }
        return true;
    }

    std::vector<Step> steps;
    std::size_t next = 0;
    std::vector<std::string> firstShown;
    Clock::time_point since = Clock::now();
    XUser x;
};

struct FltkOpenDialog : ::testing::Test {
    FltkOpenDialog() {
        Application->Initialize();
        std::filesystem::create_directories("FIRMWARE/sub");
        for (const char* name :
             {"FIRMWARE/fw image.enc", "FIRMWARE/ZNT-D 2.15.enc", "FIRMWARE/other.enc", "FIRMWARE/notes.txt",
              "FIRMWARE/.hidden.enc", "FIRMWARE/sub/inner.enc", "elsewhere.enc"})
            folder.Write(name, "00\n");
        dialog.InitialDir = u"FIRMWARE";
        dialog.DefaultExt = u".enc";
        dialog.Filter = u".enc|*.enc";
        dialog.FileName = u"before";
    }
    std::string Whole(const std::string& name) const { return folder.Path() + "/" + name; }

    TemporaryCurrentFolder folder;
    TOpenDialog dialog{nullptr};
};

TEST_F(FltkOpenDialog, OpensInTheFolderWithRussianTextsAndTheNameFieldFocused) {
    DialogUser user({{Step::Key, "Escape"}});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(user.FirstShown(),
              (std::vector<std::string>{"Открыть", "Папка: " + Whole("FIRMWARE"), "..", "sub/",
                                        "fw image.enc", "other.enc", "ZNT-D 2.15.enc", "Имя файла: |",
                                        "Открыть", "Тип файлов: .enc", "Отмена"}));
}

TEST_F(FltkOpenDialog, TypedNamesAndClicksPickAFileOrKeepTheDialogOpen) {
    struct Row {
        const char* what;
        std::vector<Step> steps;
        std::string picked; // empty: cancelled
    };
    const Row rows[] = {
        {"a typed name", {{Step::Type, "fw image.enc"}, {Step::Key, "Return"}}, "FIRMWARE/fw image.enc"},
        {"a name without its extension",
         {{Step::Type, "fw image"}, {Step::Key, "Return"}},
         "FIRMWARE/fw image.enc"},
        {"a name with a version and without its extension",
         {{Step::Type, "ZNT-D 2.15"}, {Step::Key, "Return"}},
         "FIRMWARE/ZNT-D 2.15.enc"},
        {"a folder, then a file in it",
         {{Step::Type, "sub"}, {Step::Key, "Return"}, {Step::Type, "inner"}, {Step::Key, "Return"}},
         "FIRMWARE/sub/inner.enc"},
        {"a whole path", {{Step::Type, Whole("elsewhere.enc")}, {Step::Key, "Return"}}, "elsewhere.enc"},
        {"a double click on a file", {{Step::DoubleClick, "other.enc"}}, "FIRMWARE/other.enc"},
        {"double clicks on a folder and a file",
         {{Step::DoubleClick, "sub/"}, {Step::DoubleClick, "inner.enc"}},
         "FIRMWARE/sub/inner.enc"},
        {"double clicks on .. and a file",
         {{Step::DoubleClick, ".."}, {Step::DoubleClick, "elsewhere.enc"}},
         "elsewhere.enc"},
        {"a click and an arrow key fill the field",
         {{Step::Click, "fw image.enc"},
          {Step::Shows, "Имя файла: fw image.enc"},
          {Step::Key, "Down"},
          {Step::Shows, "Имя файла: other.enc"},
          {Step::Key, "Return"}},
         "FIRMWARE/other.enc"},
        {"a name that names no file",
         {{Step::Type, "fw imag"},
          {Step::Key, "Return"},
          {Step::Shows, "Файл не найден"},
          {Step::Key, "Escape"}},
         ""},
        {"Esc", {{Step::Key, "Escape"}}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        dialog.FileName = u"before";
        DialogUser user(row.steps);
        const bool picked = dialog.Execute();
        EXPECT_EQ(user.Taken(), row.steps.size());
        EXPECT_EQ(picked, !row.picked.empty());
        EXPECT_EQ(dialog.FileName.ToUtf8(), row.picked.empty() ? "before" : Whole(row.picked));
    }
}

} // namespace
