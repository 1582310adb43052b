#include "loaders/common/loader_port.h"

#include <cstdio>
#include <cstring>

#include "loaders/common/console_output.h"
#include "loaders/common/loader_state.h"
#include "platform/win32/clock.h"
#include "platform/win32/serial.h"

namespace loaders {

bool ParseLoaderArguments(int argc, char** argv, char (&comPortName)[ComPortNameSize]) {
    if (argc != 3 || std::strncmp(argv[1], "COM", 3) != 0) return false;
    const char* number = argv[1] + 3;
    if (*number == ':') ++number;
    // The path has room for two characters of port number (COM1..COM99); a longer text would
    // overrun it.
    if (std::strlen(number) > 2) return false;
    std::snprintf(comPortName, ComPortNameSize, "\\\\.\\COM%s", number);
    return true;
}

bool OpenLoaderPort(const char* comPortName, DWORD baud) {
    port = new LoaderComPort;
    if (!port->Open(comPortName, baud)) {
        WritePortMessage(comPortName, messages::PortUnavailable.c_str());
        DestroyPort();
        return false;
    }
    port->EscapeFunction(SETDTR);
    port->EscapeFunction(SETRTS);
    Sleep(100);
    port->Purge();
    return true;
}

LoaderStart StartLoader(int argc, char** argv, const char* title1251, const char* usage1251, DWORD baud,
                        char (&comPortName)[ComPortNameSize]) {
    WriteLine(title1251);
    if (!ParseLoaderArguments(argc, argv, comPortName)) {
        WriteLine(usage1251);
        return LoaderStart::Usage;
    }
    return OpenLoaderPort(comPortName, baud) ? LoaderStart::Opened : LoaderStart::PortUnavailable;
}

void WritePortMessage(const char* comPortName, const char* text1251) {
    std::printf("%s ", comPortName);
    WriteLine(text1251);
}

void EndWithPortLost(const char* comPortName) {
    WritePortMessage(comPortName, messages::PortLost.c_str());
    DestroyPort();
}

void DrainPort() {
    port->SetTimeouts(40, 0, 1);
    while (port->Read(echoBuffer, 1) == 1) {
    }
}

void DestroyPort() {
    port->Close();
    delete port;
    port = nullptr;
}

} // namespace loaders
