#pragma once
// Handing the sensor to a firmware loader program and waiting for it.

#include "core/tstring.h"

// Chooses the loader for the connected model, releases the port, runs the loader on it with the
// chosen image and waits; then the window scans again. Deletes SensorLink.
void RunFirmwareLoader();

// The connected model as the window shows it, taken before the link is dropped.
struct LoaderModel {
    bool radio;      // the radio module's group is shown
    bool controller; // the controller variant's output choice is shown
    bool rs485;      // the link runs at 19200 baud
};

// The loader program's file name and what follows the quoted image on its command line.
struct LoaderChoice {
    TString fileName;
    TString tail;
};

// The model's loader; the first line of "loader_name.txt" in the current folder, when there is
// one, names the program instead (the tail stays the model's).
LoaderChoice ChooseLoader(const LoaderModel& model);
// "FIRMWARE\" + file name + " " + port + " \"" + image path + "\"" + tail: the loaders lie in the
// FIRMWARE folder of the current folder, and the image path may hold blanks.
TString LoaderCommandLine(const LoaderChoice& loader, const TString& portName, const TString& imagePath);
