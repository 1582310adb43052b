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
    // The sensor restarts into its boot loader; the port is opened anew for it, lines left low.
    port->Close();
    port->Open(comPortName, kRs485Baud);
    port->SetTimeouts(40, 0, 2000);
    return port->Read(echoBuffer, 4) == 4 && IsAnnouncement(echoBuffer);
}

enum class Fallback { Announced, Retry, Escaped };

// Waits for a sensor that announces itself, or for the user: Esc ends, f or F tries again.
Fallback WaitForAnnouncement() {
    port->SetTimeouts(40, 0, 100);
    for (;;) {
        if (_kbhit()) {
            int key = _getch();
            if (key == 27) return Fallback::Escaped;
            if (key == 'f' || key == 'F') return Fallback::Retry;
        }
        if (port->Read(echoBuffer, 1) == 1 && echoBuffer[0] == 'B' && port->Read(echoBuffer + 1, 3) == 3 &&
            IsAnnouncement(echoBuffer))
            return Fallback::Announced;
        if (GetKeyState(VK_ESCAPE) & 0x80) std::exit(0);
        // Without a port the read returns at once; pace the key polling as its time-out would.
        if (!port->IsOpen()) Sleep(100);
    }
}

int Transfer(const char* imagePath) {
    std::optional<TransferResult> result = TransferFirmwareFile(imagePath);
    if (!result) return -1;
    // The port stays open until the process ends.
    Sleep(1000);
    if (*result == TransferResult::NoAnswer) return 2;
    return *result == TransferResult::WriteError ? 1 : 0;
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
    if (start != LoaderStart::Opened) return -1;
    DrainPort();
    while (!HandOver(comPortName)) {
        Fallback fallback = WaitForAnnouncement();
        if (fallback == Fallback::Escaped) return 0;
        if (fallback == Fallback::Announced) break;
    }
    if (!port->IsOpen()) {
        WriteLine(messages::kDeviceNotFound);
        DestroyPort();
        return -1;
    }
    WriteLine(messages::kConnected);
    return Transfer(argv[2]);
}
