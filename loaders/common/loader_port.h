#pragma once
// Start-up steps both loaders share: the command line, opening the port and the clean-up ending.

#include "platform/win32/types.h"

namespace loaders {

// "\\.\COM" and at most two characters of port number, and the terminator.
inline constexpr int ComPortNameSize = 10;

// Fills the device path from the command line `loader COMn file` (COM:n also serves). False when
// the line does not fit that form; the caller then writes its usage text.
bool ParseLoaderArguments(int argc, char** argv, char (&comPortName)[ComPortNameSize]);

// Creates `port`, opens it at `baud`, raises DTR and RTS, waits 100 ms and purges both directions.
// On failure writes the path and "недоступен", deletes the port again and returns false.
bool OpenLoaderPort(const char* comPortName, DWORD baud);

// The opening both loaders share: the title, the command line (the usage text when it does not
// fit) and the port.
enum class LoaderStart { Opened, Usage, PortUnavailable };
LoaderStart StartLoader(int argc, char** argv, const char* title1251, const char* usage1251, DWORD baud,
                        char (&comPortName)[ComPortNameSize]);

// Writes the path, a blank and the 1251 text, as the port messages are laid out.
void WritePortMessage(const char* comPortName, const char* text1251);

// The port went away under the run (adapter pulled): says so, closes and deletes the port, as the
// run ends when the port is unavailable.
void EndWithPortLost(const char* comPortName);

// Reads single bytes under short time-outs until the line is quiet.
void DrainPort();

// Closes (dropping DTR and RTS) and deletes `port`.
void DestroyPort();

} // namespace loaders
