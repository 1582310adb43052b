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

constexpr BYTE kReplyStart = 0x3E;
constexpr BYTE kIdentifyCommand = 0x33;
constexpr BYTE kBootCommand = 0x3A;
constexpr int kIdentifyReplyLength = 9;
constexpr int kBootReplyLength = 5;

// A whole reply of `length` bytes to `command`, read in one go into `echoBuffer`.
bool ReadReply(int length, BYTE command) {
    return port->Read(echoBuffer, length) == length && echoBuffer[0] == kReplyStart &&
           Crc8(echoBuffer, static_cast<BYTE>(length)) == 0 && echoBuffer[2] == command;
}

bool IsAnnouncement(const BYTE* bytes) {
    return std::memcmp(bytes, "BLST", 4) == 0;
}

void ShowDevice() {
    CharToOemA(messages::kDeviceFound.c_str(), oemText);
    std::printf("%s %d (%02X)\n", oemText, static_cast<int>(deviceSerial), deviceAddress);
    std::fflush(stdout);
}

// The sensor restarts into its boot loader; the port is opened anew for it, lines left low. An
// adapter that re-enumerates meanwhile is not there yet: the fallback wait opens it when it is back.
bool Reopen(const char* comPortName) {
    port->Close();
    if (port->Open(comPortName, kRs485Baud)) return true;
    WritePortMessage(comPortName, messages::kPortAwaited.c_str());
    return false;
}

// Identify, switch, reopen and "BLST": true when the sensor announced its boot loader.
bool HandOver(const char* comPortName) {
    port->SetTimeouts(40, 0, 2000);
    SendRs485Command(0, kIdentifyCommand);
    if (!ReadReply(kIdentifyReplyLength, kIdentifyCommand)) return false;
    deviceSerial = static_cast<DWORD>(echoBuffer[3] | echoBuffer[4] << 8 | echoBuffer[5] << 16) |
                   static_cast<DWORD>(echoBuffer[6]) << 24;
    deviceAddress = echoBuffer[7];
    ShowDevice();
    SendBootRequest();
    if (!ReadReply(kBootReplyLength, kBootCommand) || echoBuffer[3] != 0) return false;
    if (!Reopen(comPortName)) return false;
    port->SetTimeouts(40, 0, 2000);
    return port->Read(echoBuffer, 4) == 4 && IsAnnouncement(echoBuffer);
}

enum class Fallback { Announced, Retry, Escaped, PortLost };

constexpr DWORD kFallbackReadMs = 100;

// One pass's look at the line: "BLST", or anything else dropped. A port still away after the
// switch is opened again first; until it opens the pass takes as long as a silent read would.
bool HeardAnnouncement(const char* comPortName) {
    if (!port->IsOpen()) {
        if (!port->Open(comPortName, kRs485Baud)) {
            Sleep(kFallbackReadMs);
            return false;
        }
        port->SetTimeouts(40, 0, kFallbackReadMs);
    }
    return port->Read(echoBuffer, 1) == 1 && echoBuffer[0] == 'B' && port->Read(echoBuffer + 1, 3) == 3 &&
           IsAnnouncement(echoBuffer);
}

// Waits for a sensor that announces itself, or for the user: Esc ends, f or F tries again.
Fallback WaitForAnnouncement(const char* comPortName) {
    port->SetTimeouts(40, 0, kFallbackReadMs);
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
    char comPortName[kComPortNameSize];
    LoaderStart start = StartLoader(argc, argv, messages::kRs485Title.c_str(), messages::kRs485Usage.c_str(),
                                    kRs485Baud, comPortName);
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
        WriteLine(messages::kDeviceNotFound);
        DestroyPort();
        return -1;
    }
    WriteLine(messages::kConnected);
    return Transfer();
}
