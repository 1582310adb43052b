#include "configurator/main_globals.h"

SimpleLog* AppLog = nullptr;
PortTable* CandidatePorts = nullptr;
RSport* SensorLink = nullptr;
EditLimitTable* EditLimits = nullptr;
EditNameTable* EditFieldNames = nullptr;

namespace {
int mainUnitCount = 0;
}

void InitMainGlobals() {
    AppLog = new SimpleLog();
    CandidatePorts = new PortTable();
}

void FreeMainGlobals() {
    delete EditLimits;
    EditLimits = nullptr;
    delete EditFieldNames;
    EditFieldNames = nullptr;
    delete CandidatePorts;
    CandidatePorts = nullptr;
    delete AppLog;
    AppLog = nullptr;
}

void MainUnitInitialization() {
    if (mainUnitCount++ == 0) InitMainGlobals();
}

void MainUnitFinalization() {
    if (--mainUnitCount == 0) FreeMainGlobals();
}
