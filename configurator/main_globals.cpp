#include "configurator/main_globals.h"

SimpleLog* AppLog = nullptr;
RSport* SensorLink = nullptr;

namespace {
int mainUnitCount = 0;
}

void InitMainGlobals() { AppLog = new SimpleLog(); }

void FreeMainGlobals() {
    delete AppLog;
    AppLog = nullptr;
}

void MainUnitInitialization() {
    if (mainUnitCount++ == 0) InitMainGlobals();
}

void MainUnitFinalization() {
    if (--mainUnitCount == 0) FreeMainGlobals();
}
