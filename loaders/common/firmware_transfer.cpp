#include "loaders/common/firmware_transfer.h"

#include <cstdio>

#include "loaders/common/console_output.h"
#include "loaders/common/firmware_image.h"
#include "loaders/common/loader_port.h"
#include "loaders/common/loader_state.h"
#include "platform/win32/clock.h"

namespace loaders {

namespace {

constexpr int SendsPerBlock = 4;
// The port's output queue, and the slower of the two lines.
constexpr int OutputQueueBytes = 1024;
constexpr int SlowestBaud = 9600;
constexpr DWORD EchoReadBaseMs = 2000;

// A Windows write of a block returns only once the rest fits the port's output queue, so its echo
// read began near the block's end. Here the write returns at once: the echo read also allows the
// wire time of what that write would have waited for, lest the echo's tail be taken for the
// device's answer and an accepted block be sent, and written, again.
DWORD EchoReadMs(int onWire) {
    int beyondQueue = onWire > OutputQueueBytes ? onWire - OutputQueueBytes : 0;
    return EchoReadBaseMs + static_cast<DWORD>(beyondQueue * 10 * 1000 / SlowestBaud + 1);
}

// Sends one block and returns the device's answer, or -1 when it stays silent.
int SendBlock(const BYTE* block, int onWire) {
    port->Write(block, onWire);
    // The line echoes the block; it is read back and dropped whatever arrives.
    port->SetTimeouts(100, 0, EchoReadMs(onWire));
    port->Read(echoBuffer, onWire);
    // The device writes the block into its flash before it answers: up to 16 s.
    port->SetTimeouts(100, 8000, 8000);
    BYTE receivedByte = 0;
    return port->Read(&receivedByte, 1) == 1 ? receivedByte : -1;
}

} // namespace

TransferResult TransferFirmwareImage(const BYTE* buffer, int length) {
    int position = 0;
    int sent = 0;
    int tries = 0;
    while (position < length) {
        int onWire = buffer[position] * 256 + buffer[position + 1] + 2;
        std::printf("%d%%   \r", sent * 100 / length);
        std::fflush(stdout);
        int answer = SendBlock(buffer + position, onWire);
        if (answer < 0) {
            WriteSpaced(messages::NoAnswer);
            return TransferResult::NoAnswer;
        }
        if (answer == BlockAck) {
            sent += onWire;
            tries = 0;
            position += onWire;
        } else if (++tries == SendsPerBlock) {
            WriteSpaced(messages::WriteError);
            return TransferResult::WriteError;
        }
    }
    std::printf("100%%   \r");
    WriteSpaced(messages::WriteDone);
    return TransferResult::Success;
}

namespace {
BYTE loadedImage[FirmwareImageSize];
int loadedLength = 0;
} // namespace

bool LoadFirmwareFile(const char* imagePath) {
    if (ReadFirmwareImage(imagePath, loadedImage, loadedLength) == ImageReadResult::Read) return true;
    DestroyPort();
    return false;
}

TransferResult TransferLoadedImage() {
    // The boot loader has just announced itself; it gets a moment before the first block.
    Sleep(200);
    return TransferFirmwareImage(loadedImage, loadedLength);
}

} // namespace loaders
