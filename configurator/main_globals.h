#pragma once
// The configurator's module-level objects, alive for the whole run of the program.

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "core/log.h"
#include "core/port_scan.h"
#include "platform/win32/types.h"

class RSport;

// The window's log (unnamed: its lines carry no prefix); built by InitMainGlobals, which opens
// "log.txt", and kept until FreeMainGlobals, so the window may log from its constructor to its
// close handler.
extern SimpleLog* AppLog;
// Open ports that have not been adopted; empty at start. Built after AppLog and freed before it;
// freeing it deletes the table only, since the close handler has deleted the ports already.
extern PortTable* CandidatePorts;
// The connected sensor's link; null while no sensor is connected.
extern RSport* SensorLink;

// Range (minimum, maximum, both inclusive) and message name of each checked edit, by the edit's
// component name, so a table never outlives the controls it names; built on the first check and
// freed first of all by FreeMainGlobals.
using EditLimitTable = std::map<UnicodeString, std::pair<std::int32_t, std::int32_t>>;
using EditNameTable = std::map<UnicodeString, TString>;
extern EditLimitTable* EditLimits;
extern EditNameTable* EditFieldNames;

// The unit's static initialisation and finalisation.
void InitMainGlobals();
void FreeMainGlobals();

// The unit's entries, run by the program around everything else: each keeps a count, so the
// globals are built on the first initialisation and freed when the count comes back to zero.
void MainUnitInitialization();
void MainUnitFinalization();
