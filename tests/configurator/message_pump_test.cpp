#include <gtest/gtest.h>

#include <memory>

#include "core/wait.h"
#include "platform/vcl/ext_ctrls.h"
#include "platform/vcl/forms.h"
#include "platform/win32/events.h"
#include "platform/win32/handles.h"
#include "tests/support/virtual_clock.h"

namespace {

// A wait of the core helpers keeps the window's timers running, through the pump the form layer
// installs behind the Win32 message calls.
TEST(MessagePump, WaitingWithMessagesRunsTheWindowsTimers) {
    testing_support::VirtualClock clock;
    auto form = std::make_unique<TForm>(nullptr);
    auto* timer = new TTimer(form.get());
    timer->SetInterval(20);
    int runs = 0;
    timer->OnTimer = [&](TObject*) { ++runs; };

    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(never, nullptr);
    // The wait serves messages after each 10-ms slice up to 110 ms: due at 20, 40, ..., 100.
    EXPECT_FALSE(WaitWithMessages(never, 105));
    EXPECT_EQ(runs, 5);

    runs = 0;
    ProcessMessages();
    EXPECT_EQ(runs, 0); // nothing due: the pump returns at once
    clock.Advance(20);
    ProcessMessages();
    EXPECT_EQ(runs, 1);
    CloseHandle(never);
}

} // namespace
