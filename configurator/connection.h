#pragma once
// Connection control: finding a sensor among the candidate ports, adopting it, dropping it.

#include "configurator/link/rsport.h"
#include "core/port_scan.h"

class TComponent;

// The window's port factory: a new link on every port that opens.
RSport* CreateSensorLink(HANDLE handle, const TString& portName, const TString& friendlyName);
// The decoder heard an identify reply on `link`: adopts it unless a sensor is connected already.
// Deletes every other candidate port.
void OnSensorFound(RSport* link);
// Deletes every port of the table, then empties it.
void DeleteAllPorts(PortTable& table);
// Drops SensorLink (deleting it) and gives the window its unconnected look; nothing without a link.
void Disconnect();
// Empties every edit under the component except Edit9, walking into group boxes and panels.
void ClearEditsProc(TComponent* component);
