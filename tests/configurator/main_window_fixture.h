#pragma once
// The main window built on the headless backend inside a temporary current folder, with the
// unit's globals (AppLog) alive for the test.

#include <gtest/gtest.h>

#include "configurator/connection.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "configurator/startup.h"
#include "platform/vcl/headless/headless.h"
#include "tests/support/current_folder.h"

namespace testing_support {

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        MainUnitInitialization();
        CommandLineWords.clear();
        vcl::headless::Reset();
        // The window's statics outlive each window; every test starts from the program's start.
        TForm1::LastLevelCode = 0;
        TForm1::LastPollTick = 0;
        TForm1::PollClockSet = false;
    }
    ~MainWindowTest() override {
        vcl::headless::Reset();
        // Ports a test left open; the window's close handler would have deleted them.
        DeleteAllPorts(*CandidatePorts);
        delete SensorLink;
        SensorLink = nullptr;
        Application->DestroyForms();
        Form1 = nullptr;
        CommandLineWords.clear();
        MainUnitFinalization();
    }
    TForm1& CreateWindow() {
        Application->CreateForm(Form1);
        return *Form1;
    }

    TemporaryCurrentFolder folder;
};

} // namespace testing_support
