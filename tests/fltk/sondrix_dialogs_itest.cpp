// The whole configurator on the FLTK backend under a virtual X server, against a sensor on a pty:
// the window's modal dialogs must leave the program's timers running, as the link depends on them.
// The test acts as the user from FLTK time-outs, which the program's loop runs and so does every
// modal loop it enters; a loop that is not FLTK's would stop them, so a watchdog thread ends the
// run when none has fired for a while.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Window.H>

#include "platform/vcl/user_input.h"
#include "tests/configurator/program_state.h"
#include "tests/fltk/x_user.h"
#include "tests/support/current_folder.h"
#include "tests/support/log_text.h"
#include "tests/support/program_folder.h"
#include "tools/sensor_emulator/lines/device_line.h"
#include "tools/sensor_emulator/lines/port_map.h"
#include "tools/sensor_emulator/models/rs485_sensor_model.h"

namespace {

using namespace sensor_emulator;
using namespace testing_support;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Ends the process when no FLTK time-out has fired for `limit`: the program is then held by a loop
// that runs nothing of ours, and no step could ever come.
class Watchdog {
  public:
    explicit Watchdog(std::chrono::seconds limit) : limit(limit), thread([this] { Watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> hold(lock);
            stopping = true;
        }
        changed.notify_all();
        thread.join();
    }
    void Beat(const char* step) {
        std::lock_guard<std::mutex> hold(lock);
        lastBeat = Clock::now();
        this->step = step;
    }

  private:
    void Watch() {
        std::unique_lock<std::mutex> hold(lock);
        while (!changed.wait_for(hold, std::chrono::milliseconds(100), [this] { return stopping; })) {
            if (Clock::now() - lastBeat < limit) continue;
            std::fprintf(stderr,
                         "No FLTK time-out fired for %lld s while waiting for \"%s\": a loop of its own "
                         "holds the program and stops its timers\n",
                         static_cast<long long>(limit.count()), step);
            std::_Exit(1);
        }
    }

    const std::chrono::seconds limit;
    std::mutex lock;
    std::condition_variable changed;
    Clock::time_point lastBeat = Clock::now();
    const char* step = "the start";
    bool stopping = false;
    std::thread thread;
};

// The user's steps, run in order from a time-out every 50 ms: each waits for its condition, then
// acts. An action may enter a modal loop; the steps after it run inside that loop.
class UserScript {
  public:
    struct Step {
        const char* what;
        std::function<bool()> ready;
        std::function<void()> act;
        double limitSeconds;
    };
    explicit UserScript(std::vector<Step> steps) : steps(std::move(steps)) {}

    // Runs the program through its entry until its window has closed.
    void Run() {
        Watchdog watchdog(std::chrono::seconds(5));
        this->watchdog = &watchdog;
        stepSince = Clock::now();
        Fl::add_timeout(0.05, Tick, this);
        std::u16string commandLine;
        EXPECT_EQ(wWinMain(nullptr, nullptr, commandLine.data(), 1), 0);
        Fl::remove_timeout(Tick, this);
        EXPECT_EQ(next, steps.size()) << "the run ended before the user's steps";
    }

  private:
    static void Tick(void* data) {
        auto& script = *static_cast<UserScript*>(data);
        // Armed again first, so the steps go on inside a modal loop the action enters.
        Fl::repeat_timeout(0.05, Tick, data);
        if (script.next >= script.steps.size()) return;
        const Step& step = script.steps[script.next];
        script.watchdog->Beat(step.what);
        if (step.ready()) {
            ++script.next;
            script.stepSince = Clock::now();
            if (script.next < script.steps.size()) script.watchdog->Beat(script.steps[script.next].what);
            step.act();
        } else if (SecondsSince(script.stepSince) > step.limitSeconds) {
            ADD_FAILURE() << "no " << step.what << " within " << step.limitSeconds << " s";
            script.next = script.steps.size();
            GiveUp();
        }
    }
    // Closes the dialog that is up, if any, and the window, so the run ends.
    static void GiveUp() {
        if (Fl_Window* modal = Fl::modal()) modal->do_callback();
        if (Form1) vcl::UserClose(*Form1);
    }

    std::vector<Step> steps;
    std::size_t next = 0;
    Clock::time_point stepSince;
    Watchdog* watchdog = nullptr;
};

// The open dialog's window while it is up, or null.
Fl_Window* DialogWindow() {
    Fl_Window* window = Fl::modal();
    return window && FindWidget<Fl_Browser>(*window) ? window : nullptr;
}

struct SondrixOnFltk : ::testing::Test {
    // A loader in FIRMWARE that records its arguments, one a line.
    void PlaceLoader(const std::string& name) {
        std::filesystem::create_directory("FIRMWARE");
        folder.Write("FIRMWARE/" + name, "#!/bin/sh\nprintf '%s\\n' \"$@\" > loader_args.txt\n");
        std::filesystem::permissions("FIRMWARE/" + name, std::filesystem::perms::owner_all);
    }
    std::vector<std::string> LogLines() const { return LogTexts(folder.Read("log.txt")); }

    TemporaryCurrentFolder folder;
    ProgramInFolder programFile{folder.Path()};
    PortMap ports;
    ProgramState programState;
};

std::size_t CountOf(const std::vector<SensorFrame>& requests, std::size_t from, int command) {
    return static_cast<std::size_t>(
        std::count_if(requests.begin() + static_cast<std::ptrdiff_t>(from), requests.end(),
                      [&](const SensorFrame& frame) { return frame.command == command; }));
}

// A sensor whose loader starts on its own consent: the user takes 10 s to pick the image, and
// meanwhile the link is polled as ever; the name then typed starts the loader with the image's
// whole path once the sensor agrees.
TEST_F(SondrixOnFltk, TheDialogHeldOpenLeavesTheLinkPolledAndATypedNameStartsTheLoader) {
    Rs485SensorModel sensor({.kind = 1});
    DeviceLine line(ports, sensor, {.comNumber = 3});
    PlaceLoader("xflasher");
    const std::string image = folder.Path() + "/FIRMWARE/fw 1.enc";
    folder.Write("FIRMWARE/fw 1.enc", "00C8\r\n");
    XUser user;
    std::size_t heardBefore = 0, pollsWhileOpen = 0;
    bool dropped = false;
    Clock::time_point shown;
    UserScript script({
        {"connected sensor with the output choice",
         [] { return Form1 && Form1->Label15->Caption() == u"измерение" && Form1->ComboBox4->Visible(); },
         [&] {
             heardBefore = sensor.Requests().size();
             vcl::UserClick(*Form1->Button7);
         },
         10},
        {"open dialog", [] { return DialogWindow() != nullptr; }, [&] { shown = Clock::now(); }, 5},
        {"10 s with the dialog open",
         [&] {
             dropped = dropped || !SensorLink;
             return SecondsSince(shown) >= 10;
         },
         [&] {
             pollsWhileOpen = CountOf(sensor.Requests(), heardBefore, 0x06);
             user.Focus(*DialogWindow());
         },
         12},
        {"dialog focused", [&] { return !user.Busy(); }, [&] { user.Type("fw 1"); }, 5},
        {"name typed", [&] { return !user.Busy(); }, [&] { user.Key("Return"); }, 5},
        {"loader run", [] { return Form1->Label15->Caption() == u"Готово"; }, [] { vcl::UserClose(*Form1); },
         10},
    });
    script.Run();

    EXPECT_FALSE(dropped);
    EXPECT_GE(pollsWhileOpen, 8u);
    const std::vector<std::string> log = LogLines();
    const auto sleep = std::find(log.begin(), log.end(), "sleep 1000");
    ASSERT_NE(sleep, log.end());
    const auto done = std::find(sleep, log.end(), "sleep done");
    const std::string launch = "Launch:\tFIRMWARE\\xflasher.exe COM3 \"" + image + "\" 115200 -e -f";
    EXPECT_NE(std::find(done, log.end(), launch), log.end()) << launch;
    EXPECT_EQ(folder.Read("loader_args.txt"), "COM3\n" + image + "\n115200\n-e\n-f\n");
}

} // namespace
