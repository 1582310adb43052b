#pragma once
// Starting another program, as the configurator starts the firmware loaders.

#include "core/tstring.h"
#include "platform/win32/types.h"

// Logs "Launch" with the command and starts it: as a command line (program, then arguments
// as Windows reads them), or as a bare program path when asApplicationName is set. Hidden: the
// child's standard streams go nowhere; otherwise it gets a terminal window of its own where there
// is an X display. With wait, waits without limit while serving window messages. Returns the
// process handle, usable only with keepHandle (the caller then closes it). A program that cannot
// be started leaves only the log line: the handle is null and the wait ends at once.
HANDLE Launch(TString command, bool wait, bool hidden, bool keepHandle, bool asApplicationName);
