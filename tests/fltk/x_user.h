#pragma once
// A person at the X server: keys and clicks go through the server's test extension (xdotool), one
// event at a time at a person's pace, to the window that has the focus, as real ones do. Each
// command runs as a child process while FLTK's loop goes on, so the program sees the events come in.

#include <gtest/gtest.h>

#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

extern char** environ;

namespace testing_support {

// The first widget of class T below the group, depth first.
template <class T> T* FindWidget(Fl_Group& group) {
    for (int i = 0; i < group.children(); ++i) {
        Fl_Widget* child = group.child(i);
        if (auto* found = dynamic_cast<T*>(child)) return found;
        if (Fl_Group* inner = child->as_group())
            if (T* found = FindWidget<T>(*inner)) return found;
    }
    return nullptr;
}

// Runs one xdotool command at a time.
class XUser {
  public:
    ~XUser() {
        if (child >= 0) waitpid(child, nullptr, 0);
    }
    // True while the command started last is still at work.
    bool Busy() {
        if (child < 0) return false;
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == 0) return true;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "xdotool " << last;
        child = -1;
        return false;
    }
    void Focus(Fl_Window& window) { Start({"windowfocus", std::to_string(fl_xid(&window))}); }
    // One key every 100 ms, as a person types (xdotool types a key every half of its delay).
    void Type(const std::string& text) { Start({"type", "--delay", "200", "--", text}); }
    void Key(const std::string& name) { Start({"key", name}); }
    // Clicks (`clicks` times, 100 ms apart) in the middle of the list's row that shows `text`; rows
    // are one text line high.
    void ClickRow(Fl_Window& window, Fl_Browser& list, const std::string& text, int clicks) {
        int line = 1;
        while (line <= list.size() && text != list.text(line))
            ++line;
        ASSERT_LE(line, list.size()) << "no row " << text;
        fl_font(list.textfont(), list.textsize());
        const int rowHeight = fl_height();
        const int x = window.x_root() + list.x() + Fl::box_dx(list.box()) + 20;
        const int y =
            window.y_root() + list.y() + Fl::box_dy(list.box()) + (line - 1) * rowHeight + rowHeight / 2;
        Start({"mousemove", std::to_string(x), std::to_string(y), "click", "--repeat", std::to_string(clicks),
               "--delay", "100", "1"});
    }

  private:
    // Call only when not busy.
    void Start(std::vector<std::string> args) {
        args.insert(args.begin(), "xdotool");
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        last = args[1];
        ASSERT_EQ(posix_spawnp(&child, "xdotool", nullptr, nullptr, argv.data(), environ), 0) << "xdotool";
    }

    pid_t child = -1;
    std::string last;
};

} // namespace testing_support
