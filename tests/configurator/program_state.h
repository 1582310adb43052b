#pragma once
// The configurator's globals for the life of one test, whichever backend shows its window: the
// unit's initialisation and the window's statics as at the program's start, and at the end what
// the window's close handler would have freed. Build it after the test's current folder, where
// the log opens.

#include "configurator/connection.h"
#include "configurator/link/rsport.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "configurator/startup.h"

namespace testing_support {

class ProgramState {
  public:
    ProgramState() {
        MainUnitInitialization();
        CommandLineWords.clear();
        // The window's statics outlive each window; every test starts from the program's start.
        TForm1::LastLevelCode = 0;
        TForm1::LastPollTick = 0;
        TForm1::PollClockSet = false;
    }
    ~ProgramState() {
        // Ports a test left open; the window's close handler would have deleted them.
        DeleteAllPorts(*CandidatePorts);
        delete SensorLink;
        SensorLink = nullptr;
        Application->DestroyForms();
        Form1 = nullptr;
        CommandLineWords.clear();
        MainUnitFinalization();
    }
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;
};

} // namespace testing_support
