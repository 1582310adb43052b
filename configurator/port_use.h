#pragma once
// Ports may be deleted from inside the receive chain (adoption, a firmware start), and a message
// box inside that chain pumps messages, so other handlers can run while the chain is still on the
// stack. While a receive call or a loader wait is in progress, work that would delete a port from
// outside the chain (a scan, a timed-out disconnect, the close) waits until it has ended.

// Marks a receive call or a loader wait in progress for its lifetime; scopes nest.
class PortUseScope {
  public:
    PortUseScope();
    ~PortUseScope();
    PortUseScope(const PortUseScope&) = delete;
    PortUseScope& operator=(const PortUseScope&) = delete;
};

// True while some PortUseScope is alive.
bool PortsInUse();

// A close request while ports are in use is remembered instead of carried out: true when held.
bool HoldCloseRequest();
// Carries out a held close request once no port is in use any more; nothing otherwise.
void CloseIfHeld();
