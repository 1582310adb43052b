// The FLTK backend: widgets for controls, FLTK time-outs for timers, and FLTK's event loop.
// Message boxes are in message_box.cpp, the open dialog in open_dialog.cpp.

#include <algorithm>
#include <ctime>
#include <map>

#include <FL/Fl.H>

#include "platform/vcl/backend.h"
#include "platform/vcl/ext_ctrls.h"
#include "platform/vcl/fltk/fonts.h"
#include "platform/vcl/fltk/peers.h"
#include "platform/vcl/forms.h"

namespace vcl::backend {

namespace {

// Each timer's arming count (a fire whose handler re-armed the timer must not re-arm it again) and
// when it is next due, in seconds on the monotonic clock.
struct Schedule {
    unsigned long arming = 0;
    double due = 0;
};

std::map<TTimer*, Schedule>& Schedules() {
    static std::map<TTimer*, Schedule> schedules;
    return schedules;
}

// FLTK 1.3 adds the lateness of the last time-out it ran to every time-out armed after it, so a
// time-out can come early by that much. One earlier than this is re-armed for the rest.
constexpr double EarlySlack = 0.001;

// The timer whose handler runs now, when its run began and when it was due (monotonic seconds).
struct Firing {
    TTimer* timer = nullptr;
    double since = 0;
    double due = 0;
} firing;

double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

// One period after the beat `due` that ran at `ranAt`; beats missed while the loop was blocked
// are dropped rather than made up in a burst.
double NextBeat(double due, double period, double ranAt) {
    return due + period >= ranAt ? due + period : ranAt + period;
}

// When a timer switched on now is due. One that asks for less than the shortest period wants every
// tick: switched off and on again by its own handler it keeps its beat instead of drifting by the
// handler's run time.
double DueFromNow(const TTimer& timer, double now) {
    double period = timer.EffectiveInterval() / 1000.0;
    if (&timer != firing.timer || timer.Interval() >= timer.EffectiveInterval()) return now + period;
    return NextBeat(firing.due, period, firing.since);
}

void FireTimer(TTimer& timer, double due) {
    // A handler may pump messages, so timers fire inside one another.
    const Firing outer = firing;
    firing = {&timer, MonotonicSeconds(), due};
    timer.Fire();
    firing = outer;
}

void TimerExpired(void* data) {
    auto* timer = static_cast<TTimer*>(data);
    Schedule& schedule = Schedules()[timer];
    const double now = MonotonicSeconds();
    if (schedule.due - now > EarlySlack) {
        Fl::repeat_timeout(schedule.due - now, TimerExpired, timer);
        return;
    }
    const Schedule fired = schedule;
    FireTimer(*timer, fired.due);
    auto found = Schedules().find(timer);
    if (found == Schedules().end() || found->second.arming != fired.arming || !timer->Running()) return;
    const double period = timer->EffectiveInterval() / 1000.0;
    found->second.due = NextBeat(fired.due, period, now);
    Fl::repeat_timeout(period, TimerExpired, timer);
}

} // namespace

std::unique_ptr<ControlPeer> CreatePeer(TControl& control) {
    return fltk::CreateWidgetPeer(control);
}

void TimerChanged(TTimer& timer) {
    Fl::remove_timeout(TimerExpired, &timer);
    Schedule& schedule = Schedules()[&timer];
    ++schedule.arming;
    if (!timer.Running()) return;
    const double now = MonotonicSeconds();
    schedule.due = DueFromNow(timer, now);
    Fl::add_timeout(std::max(0.0, schedule.due - now), TimerExpired, &timer);
}

void TimerDestroyed(TTimer& timer) {
    Fl::remove_timeout(TimerExpired, &timer);
    Schedules().erase(&timer);
}

void Initialize() {
    fltk::ChooseFonts();
}

void RunMessageLoop(TApplication& application) {
    while (!application.Terminated() && application.MainForm() && application.MainForm()->Visible() &&
           Fl::first_window())
        Fl::wait(1e20);
}

void ProcessMessages() {
    Fl::check();
}

// A pending redraw counts as waiting too, as a window's paint message does: a wait that serves the
// window while no timer runs (a loader started from a receive handler) must still draw it.
bool MessagesWaiting() {
    return Fl::ready() != 0 || Fl::damage() != 0;
}

} // namespace vcl::backend
