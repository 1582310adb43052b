#include "configurator/port_use.h"

#include "configurator/main_form.h"

namespace {
int useDepth = 0;
bool closeHeld = false;
} // namespace

PortUseScope::PortUseScope() {
    ++useDepth;
}

PortUseScope::~PortUseScope() {
    --useDepth;
}

bool PortsInUse() {
    return useDepth > 0;
}

bool HoldCloseRequest() {
    if (useDepth == 0) return false;
    closeHeld = true;
    return true;
}

void CloseIfHeld() {
    if (!closeHeld || useDepth > 0) return;
    closeHeld = false;
    if (Form1) Form1->Close();
}
