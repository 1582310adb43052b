#pragma once
// Handing the sensor to a firmware loader program and waiting for it.

// Chooses the loader for the connected model, releases the port, runs the loader on it with the
// chosen image and waits; then the window scans again. Deletes SensorLink.
void RunFirmwareLoader();
