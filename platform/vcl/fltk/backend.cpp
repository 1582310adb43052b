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

// Each timer's arming count: a fire whose handler re-armed the timer must not re-arm it again.
std::map<TTimer*, unsigned long>& Armings() {
    static std::map<TTimer*, unsigned long> armings;
    return armings;
}

// The timer whose handler runs now, and when its run began (seconds on the monotonic clock).
TTimer* firing = nullptr;
double firingSince = 0;

double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

// Seconds until the timer is due. One that asks for less than the shortest period wants every tick:
// switched off and on again by its own handler it keeps its beat instead of drifting by the
// handler's run time (FLTK makes up for a late start itself).
double DelayFromNow(const TTimer& timer) {
    double period = timer.EffectiveInterval() / 1000.0;
    if (&timer != firing || timer.Interval() >= timer.EffectiveInterval()) return period;
    return std::max(0.0, period - (MonotonicSeconds() - firingSince));
}

void TimerExpired(void* data) {
    auto* timer = static_cast<TTimer*>(data);
    unsigned long arming = Armings()[timer];
    // A handler may pump messages, so timers fire inside one another.
    TTimer* outer = firing;
    double outerSince = firingSince;
    firing = timer;
    firingSince = MonotonicSeconds();
    timer->Fire();
    firing = outer;
    firingSince = outerSince;
    auto found = Armings().find(timer);
    if (found == Armings().end() || found->second != arming || !timer->Running()) return;
    Fl::repeat_timeout(timer->EffectiveInterval() / 1000.0, TimerExpired, timer);
}

} // namespace

std::unique_ptr<ControlPeer> CreatePeer(TControl& control) {
    return fltk::CreateWidgetPeer(control);
}

void TimerChanged(TTimer& timer) {
    Fl::remove_timeout(TimerExpired, &timer);
    ++Armings()[&timer];
    if (timer.Running()) Fl::add_timeout(DelayFromNow(timer), TimerExpired, &timer);
}

void TimerDestroyed(TTimer& timer) {
    Fl::remove_timeout(TimerExpired, &timer);
    Armings().erase(&timer);
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
