#include "platform/vcl/ext_ctrls.h"

#include <algorithm>

#include "platform/vcl/backend.h"
#include "platform/vcl/controls.h"

namespace {
constexpr unsigned MinimumTimerPeriod = 10; // ms, the shortest period a window timer has
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    vcl::backend::TimerChanged(*this);
}

TTimer::~TTimer() {
    vcl::backend::TimerDestroyed(*this);
}

void TTimer::SetInterval(unsigned value) {
    if (value == interval) return;
    interval = value;
    vcl::backend::TimerChanged(*this);
}

void TTimer::SetEnabled(bool value) {
    if (value == enabled) return;
    enabled = value;
    vcl::backend::TimerChanged(*this);
}

unsigned TTimer::EffectiveInterval() const {
    return std::max(interval, MinimumTimerPeriod);
}

void TTimer::Fire() {
    if (!Running() || !OnTimer) return;
    if (!vcl::Dispatch([this] { OnTimer(this); })) SetEnabled(true);
}

bool TOpenDialog::Execute() {
    return vcl::backend::ExecuteOpenDialog(*this);
}
