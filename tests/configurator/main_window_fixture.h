#pragma once
// The main window built on the headless backend inside a temporary current folder, with the
// unit's globals (AppLog) alive for the test.

#include <gtest/gtest.h>

#include <vector>

#include "configurator/connection.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "configurator/startup.h"
#include "platform/vcl/headless/headless.h"
#include "platform/win32/clock.h"
#include "tests/configurator/program_state.h"
#include "tests/support/current_folder.h"
#include "tests/support/program_folder.h"
#include "tests/support/virtual_clock.h"
#include "tools/sensor_emulator/lines/port_map.h"

namespace testing_support {

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() { vcl::headless::Reset(); }
    ~MainWindowTest() override { vcl::headless::Reset(); }
    TForm1& CreateWindow() {
        Application->CreateForm(Form1);
        return *Form1;
    }
    // The window as the message loop shows it, so its direct children count as shown.
    TForm1& CreateShownWindow() {
        CreateWindow().ShowForm();
        return *Form1;
    }

    // A connected link on no real port that still awaits the reply to a poll, so every request
    // pushed meanwhile stays in its queue for the test to read. Needs a virtual clock, so the
    // awaited reply never times out.
    RSport& ConnectWaitingLink(std::int32_t baud = 19200) {
        auto* link = new RSport(INVALID_HANDLE_VALUE, TString("COM7"), TString("Test port (COM7)"));
        link->speedDetection = false;
        link->baud = baud;
        link->pendingRequest = 0x06;
        link->requestTick = static_cast<std::int32_t>(GetTickCount());
        SensorLink = link;
        return *link;
    }
    static std::vector<int> Queued(const RSport& link) {
        return std::vector<int>(link.RequestQueue.begin(), link.RequestQueue.end());
    }

    TemporaryCurrentFolder folder;
    // The record folder the window makes beside the program lands in the temporary folder, in a
    // folder of its own so that it is not taken for the current one.
    ProgramInFolder programFile{folder.Path() + "/bin"};
    // A scan in a window test never opens the machine's own serial devices.
    sensor_emulator::PortMap ports;
    ProgramState programState;
};

// The window shown, its timers on the virtual clock.
class ShownWindowTest : public MainWindowTest {
  protected:
    VirtualClock clock;
    TForm1& form = CreateShownWindow();
};

} // namespace testing_support
