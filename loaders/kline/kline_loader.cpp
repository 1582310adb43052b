#include "loaders/kline/kline_loader.h"

#include <cstdlib>

#include "loaders/common/console_output.h"
#include "loaders/common/firmware_transfer.h"
#include "loaders/common/loader_port.h"
#include "loaders/common/loader_state.h"
#include "loaders/kline/kline_frame.h"
#include "loaders/kline/kline_receiver.h"
#include "platform/win32/clock.h"
#include "platform/win32/console.h"

namespace loaders::kline {

namespace {

enum class Discovery { Connected, Escaped, NotConfirmed, PortLost };

constexpr DWORD FrameGapMs = 100;
constexpr DWORD OkWaitMs = 4000;
constexpr DWORD DiscoveryReadMs = 40;

// Handles a typed key; true for Esc.
bool HandleKey() {
    if (!_kbhit()) return false;
    int key = _getch();
    if (key == 27) return true;
    if (key == 'f' || key == 'F') SendFindCommand();
    return false;
}

// Collects what the sensor sends after the switch command until "OK", for at most 4 s. The
// collection keeps to `echoBuffer`: when it is full only the last byte is kept, so an "OK" that
// straddles the wrap is still seen.
Discovery AwaitSwitchConfirmation() {
    port->SetTimeouts(40, 0, 1);
    int collected = 0;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < OkWaitMs) {
        BYTE simb = 0;
        if (port->Read(&simb, 1) != 1) {
            if (port->HungUp()) return Discovery::PortLost;
            continue;
        }
        if (collected == EchoBufferSize) {
            echoBuffer[0] = echoBuffer[collected - 1];
            collected = 1;
        }
        echoBuffer[collected++] = simb;
        if (collected >= 2 && echoBuffer[collected - 2] == 'O' && echoBuffer[collected - 1] == 'K') {
            DrainPort();
            return Discovery::Connected;
        }
    }
    return Discovery::NotConfirmed;
}

// Listens for the sensor until it is in its boot loader, its switch went unconfirmed, the port
// went away, or the user ends the run with Esc.
Discovery Discover() {
    DWORD deadline = GetTickCount() + FrameGapMs;
    for (;;) {
        if (HandleKey()) return Discovery::Escaped;
        if (GetKeyState(VK_ESCAPE) & 0x80) std::exit(0);
        BYTE simb = 0;
        if (port->Read(&simb, 1) == 1) {
            deadline = GetTickCount() + FrameGapMs;
            RxEvent event = ReceiveByte(simb);
            if (event == RxEvent::Announced) return Discovery::Connected;
            if (event == RxEvent::Identified) return AwaitSwitchConfirmation();
        } else if (port->HungUp()) {
            return Discovery::PortLost;
        }
        // A frame whose bytes come more than 100 ms apart is dropped.
        if ((rxState != Idle || rxCount != 0) && GetTickCount() > deadline) ResetReceiver();
    }
}

int Transfer() {
    TransferResult result = TransferLoadedImage();
    DestroyPort();
    return result == TransferResult::Success ? 0 : -1;
}

} // namespace

} // namespace loaders::kline

int RunKlineLoader(int argc, char** argv) {
    using namespace loaders;
    using namespace loaders::kline;
    char comPortName[ComPortNameSize];
    if (StartLoader(argc, argv, messages::KlineTitle.c_str(), messages::KlineUsage.c_str(), KlineBaud,
                    comPortName) != LoaderStart::Opened)
        return -1;
    if (!LoadFirmwareFile(argv[2])) return -1;
    // The port opens with no time-outs of its own. Discovery polls the keyboard between one-byte
    // reads and drops frames with 100 ms gaps, so a silent read must end within tens of
    // milliseconds; 40 ms still lets the echo of the longest frame (26 bytes at 9600 baud) arrive.
    port->SetTimeouts(40, 0, DiscoveryReadMs);
    ResetReceiver();
    SendFindCommand();
    Discovery discovery = Discover();
    if (discovery == Discovery::Escaped) return 0;
    if (discovery == Discovery::PortLost) {
        EndWithPortLost(comPortName);
        return -1;
    }
    if (discovery == Discovery::NotConfirmed || !port->IsOpen()) {
        WriteLine(messages::DeviceNotFound);
        DestroyPort();
        return -1;
    }
    WriteLine(messages::Connected);
    return Transfer();
}
