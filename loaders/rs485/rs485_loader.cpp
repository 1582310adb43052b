#include "loaders/rs485/rs485_loader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "loaders/common/console_output.h"
#include "loaders/common/firmware_transfer.h"
#include "loaders/common/loader_port.h"
#include "loaders/common/loader_state.h"
#include "loaders/rs485/rs485_frame.h"
#include "platform/win32/clock.h"
#include "platform/win32/console.h"

namespace loaders::rs485 {

namespace {

constexpr BYTE ReplyStart = 0x3E;
constexpr BYTE IdentifyCommand = 0x33;
constexpr BYTE BootCommand = 0x3A;
constexpr int IdentifyReplyLength = 9;
constexpr int BootReplyLength = 5;

// A whole reply of `length` bytes to `command`, read in one go into `echoBuffer`.
bool ReadReply(int length, BYTE command) {
    return port->Read(echoBuffer, length) == length && echoBuffer[0] == ReplyStart &&
           Crc8(echoBuffer, static_cast<BYTE>(length)) == 0 && echoBuffer[2] == command;
}

bool IsAnnouncement(const BYTE* bytes) {
    return std::memcmp(bytes, "BLST", 4) == 0;
}

void ShowDevice() {
    CharToOemA(messages::DeviceFound.c_str(), oemText);
    std::printf("%s %d (%02X)\n", oemText, static_cast<int>(deviceSerial), deviceAddress);
    std::fflush(stdout);
}

// The sensor restarts into its boot loader; the port is opened anew for it, lines left low. An
// adapter that re-enumerates meanwhile is not there yet: the fallback wait opens it when it is back.
bool Reopen(const char* comPortName) {
    port->Close();
    if (port->Open(comPortName, Rs485Baud)) return true;
    WritePortMessage(comPortName, messages::PortAwaited.c_str());
    return false;
}

// Identify, switch, reopen and "BLST": true when the sensor announced its boot loader.
bool HandOver(const char* comPortName) {
    port->SetTimeouts(40, 0, 2000);
    SendRs485Command(0, IdentifyCommand);
    if (!ReadReply(IdentifyReplyLength, IdentifyCommand)) return false;
    deviceSerial = static_cast<DWORD>(echoBuffer[3] | echoBuffer[4] << 8 | echoBuffer[5] << 16) |
                   static_cast<DWORD>(echoBuffer[6]) << 24;
    deviceAddress = echoBuffer[7];
    ShowDevice();
    SendBootRequest();
    if (!ReadReply(BootReplyLength, BootCommand) || echoBuffer[3] != 0) return false;
    if (!Reopen(comPortName)) return false;
    port->SetTimeouts(40, 0, 2000);
    return port->Read(echoBuffer, 4) == 4 && IsAnnouncement(echoBuffer);
}

enum class Fallback { Announced, Retry, Escaped, PortLost };

constexpr DWORD FallbackReadMs = 100;

// One pass's look at the line: "BLST", or anything else dropped. A port still away after the
// switch is opened again first; until it opens the pass takes as long as a silent read would.
bool HeardAnnouncement(const char* comPortName) {
    if (!port->IsOpen()) {
        if (!port->Open(comPortName, Rs485Baud)) {
            Sleep(FallbackReadMs);
            return false;
        }
        port->SetTimeouts(40, 0, FallbackReadMs);
    }
    return port->Read(echoBuffer, 1) == 1 && echoBuffer[0] == 'B' && port->Read(echoBuffer + 1, 3) == 3 &&
           IsAnnouncement(echoBuffer);
}

// Waits for a sensor that announces itself, or for the user: Esc ends, f or F tries again.
Fallback WaitForAnnouncement(const char* comPortName) {
    port->SetTimeouts(40, 0, FallbackReadMs);
    for (;;) {
        if (_kbhit()) {
            int key = _getch();
            if (key == 27) return Fallback::Escaped;
            if (key == 'f' || key == 'F') return Fallback::Retry;
        }
        if (HeardAnnouncement(comPortName)) return Fallback::Announced;
        if (port->HungUp()) return Fallback::PortLost;
        if (GetKeyState(VK_ESCAPE) & 0x80) std::exit(0);
    }
}

int Transfer() {
    TransferResult result = TransferLoadedImage();
    // The port stays open until the process ends.
    Sleep(1000);
    if (result == TransferResult::NoAnswer) return 2;
    return result == TransferResult::WriteError ? 1 : 0;
}

} // namespace

} // namespace loaders::rs485

int RunRs485Loader(int argc, char** argv) {
    using namespace loaders;
    using namespace loaders::rs485;
    char comPortName[ComPortNameSize];
    LoaderStart start = StartLoader(argc, argv, messages::Rs485Title.c_str(), messages::Rs485Usage.c_str(),
                                    Rs485Baud, comPortName);
    if (start == LoaderStart::Usage) Sleep(2000);
    if (start != LoaderStart::Opened || !LoadFirmwareFile(argv[2])) return -1;
    DrainPort();
    while (!HandOver(comPortName)) {
        Fallback fallback = WaitForAnnouncement(comPortName);
        if (fallback == Fallback::Escaped) return 0;
        if (fallback == Fallback::PortLost) {
            EndWithPortLost(comPortName);
            return -1;
        }
        if (fallback == Fallback::Announced) break;
    }
    if (!port->IsOpen()) {
        WriteLine(messages::DeviceNotFound);
        DestroyPort();
        return -1;
    }
    WriteLine(messages::Connected);
    return Transfer();
}
