#include "platform/vcl/headless/headless.h"

#include <algorithm>
#include <cstdint>
#include <deque>

#include "platform/vcl/backend.h"
#include "platform/vcl/ext_ctrls.h"
#include "platform/vcl/forms.h"
#include "platform/win32/clock.h"

namespace vcl::headless {

namespace {

struct ArmedTimer {
    TTimer* timer;
    std::uint64_t due;
    std::uint64_t generation; // changes at every re-arm, so a fire knows whether it was re-armed
    bool firing = false;
};

struct State {
    std::deque<int> answers;
    std::vector<MessageBoxRecord> boxes;
    std::optional<UnicodeString> chosenFile;
    std::vector<OpenDialogRecord> dialogs;
    std::vector<ArmedTimer> timers; // in arming order, which breaks ties of equal due times
    std::uint64_t generations = 0;
    unsigned loopLimit = 0;
    std::function<void()> whileBoxUp;
    bool inBoxAction = false;
};

State& TheState() {
    static State state;
    return state;
}

std::uint64_t Now() {
    return win32::CurrentClock().NowMs();
}

ArmedTimer* Find(TTimer* timer) {
    auto& timers = TheState().timers;
    auto found =
        std::find_if(timers.begin(), timers.end(), [&](const ArmedTimer& t) { return t.timer == timer; });
    return found == timers.end() ? nullptr : &*found;
}

// The earliest timer not already running its handler, optionally only those due by `until`.
ArmedTimer* Earliest(std::uint64_t until) {
    ArmedTimer* best = nullptr;
    for (ArmedTimer& t : TheState().timers)
        if (!t.firing && t.due <= until && (!best || t.due < best->due)) best = &t;
    return best;
}

void FireOne(ArmedTimer& armed) {
    TTimer* timer = armed.timer;
    std::uint64_t generation = armed.generation;
    armed.firing = true;
    timer->Fire();
    ArmedTimer* after = Find(timer);
    if (!after) return;
    after->firing = false;
    if (after->generation != generation) return;
    // Not re-armed by its handler: the next period follows on; missed periods merge into one.
    after->due += timer->EffectiveInterval();
    if (after->due <= Now()) after->due = Now() + timer->EffectiveInterval();
}

} // namespace

void AnswerMessageBoxes(std::vector<int> answers) {
    TheState().answers.insert(TheState().answers.end(), answers.begin(), answers.end());
}

const std::vector<MessageBoxRecord>& MessageBoxes() {
    return TheState().boxes;
}

void WhileMessageBoxUp(std::function<void()> action) {
    TheState().whileBoxUp = std::move(action);
}

void ChooseFile(std::optional<UnicodeString> path) {
    TheState().chosenFile = std::move(path);
}

const std::vector<OpenDialogRecord>& OpenDialogs() {
    return TheState().dialogs;
}

void RunDueTimers() {
    while (ArmedTimer* due = Earliest(Now()))
        FireOne(*due);
}

void RunFor(unsigned ms) {
    const std::uint64_t target = Now() + ms;
    while (ArmedTimer* next = Earliest(target)) {
        if (next->due > Now()) win32::CurrentClock().SleepMs(static_cast<DWORD>(next->due - Now()));
        RunDueTimers();
    }
    if (target > Now()) win32::CurrentClock().SleepMs(static_cast<DWORD>(target - Now()));
}

void LimitMessageLoop(unsigned ms) {
    TheState().loopLimit = ms;
}

void Reset() {
    State& state = TheState();
    state.loopLimit = 0;
    state.answers.clear();
    state.boxes.clear();
    state.chosenFile.reset();
    state.dialogs.clear();
    state.whileBoxUp = nullptr;
}

} // namespace vcl::headless

namespace vcl::backend {

using namespace vcl::headless;

std::unique_ptr<ControlPeer> CreatePeer(TControl&) {
    return nullptr;
}

void TimerChanged(TTimer& timer) {
    // A timer re-armed from its own handler stays marked as firing until the handler returns,
    // so a message pump inside the handler does not run it again.
    ArmedTimer* old = Find(&timer);
    bool firing = old && old->firing;
    TimerDestroyed(timer);
    if (!timer.Running()) return;
    State& state = TheState();
    state.timers.push_back({&timer, Now() + timer.EffectiveInterval(), ++state.generations, firing});
}

void TimerDestroyed(TTimer& timer) {
    std::erase_if(TheState().timers, [&](const ArmedTimer& t) { return t.timer == &timer; });
}

int ShowMessageBox(HWND owner, const UnicodeString& text, const UnicodeString& caption, UINT type) {
    State& state = TheState();
    int answer = (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    if (!state.answers.empty()) {
        answer = state.answers.front();
        state.answers.pop_front();
    }
    state.boxes.push_back({owner, text, caption, type, answer});
    if (state.whileBoxUp && !state.inBoxAction) {
        state.inBoxAction = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{state.inBoxAction};
        std::function<void()> action = state.whileBoxUp;
        action();
    }
    return answer;
}

bool ExecuteOpenDialog(TOpenDialog& dialog) {
    State& state = TheState();
    state.dialogs.push_back({dialog.InitialDir, dialog.DefaultExt, dialog.Filter});
    std::optional<UnicodeString> chosen = std::move(state.chosenFile);
    state.chosenFile.reset();
    if (!chosen) return false;
    dialog.FileName = *chosen;
    return true;
}

void Initialize() {}

void RunMessageLoop(TApplication& application) {
    const unsigned limit = TheState().loopLimit;
    const std::uint64_t end = limit ? Now() + limit : UINT64_MAX;
    while (!application.Terminated() && application.MainForm() && application.MainForm()->Visible()) {
        ArmedTimer* next = Earliest(UINT64_MAX);
        if (!next || next->due > end) {
            // Nothing can happen any more, or nothing before the limit.
            if (limit && end > Now()) RunFor(static_cast<unsigned>(end - Now()));
            return;
        }
        RunFor(static_cast<unsigned>(next->due > Now() ? next->due - Now() : 0));
    }
}

void ProcessMessages() {
    RunDueTimers();
}

bool MessagesWaiting() {
    return Earliest(Now()) != nullptr;
}

} // namespace vcl::backend
