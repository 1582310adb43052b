#pragma once
// What the fuzz targets that run the configurator's window share (named on their `// Fuzz sources:`
// line): the window on the headless backend in a folder of its own, and a log kept from growing.

namespace fuzz {

// The window writes "log.txt" and status records into the current folder: makes a new one named
// after the target in TMPDIR (which the fuzz step removes), moves into it and creates the window.
void StartWindow(const char* target);
// Empties "log.txt", which would grow with every run.
void EmptyLog();

} // namespace fuzz
