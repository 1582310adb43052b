#include "tests/fuzz/loader_line.h"

#include "loaders/common/loader_state.h"
#include "platform/win32/console.h"
#include "tests/support/keyboard_pipe.h"

namespace fuzz {

LoaderLine& LoaderLine::Shared() {
    static LoaderLine line;
    return line;
}

LoaderLine::LoaderLine() {
    testing_support::InstallKeyboardPipe();
    SilenceStdout();
    // A line from the start: the port registry it enters is then made before this object is done,
    // and so outlives it at exit, when the last line leaves the registry.
    device = std::make_unique<sensor_emulator::BootLoaderEmulator>(sensor_emulator::BootLoaderScript{});
    line = std::make_unique<sensor_emulator::VirtualSerialLine>(ComNumber, *device);
}

int LoaderLine::Run(LoaderFlow flow, const sensor_emulator::BootLoaderScript& script,
                    const std::function<void(sensor_emulator::VirtualSerialLine&)>& prepare) {
    // A key an earlier run typed but never read must not reach this one.
    while (_kbhit())
        _getch();
    line.reset();
    clock.DropActions();
    clock.Set(StartMs);
    device = std::make_unique<sensor_emulator::BootLoaderEmulator>(script);
    line = std::make_unique<sensor_emulator::VirtualSerialLine>(ComNumber, *device);
    if (prepare) prepare(*line);
    std::string comPort = "COM12", imagePath = image.Path();
    std::vector<char*> argv{const_cast<char*>("loader"), comPort.data(), imagePath.data()};
    int result = flow(static_cast<int>(argv.size()), argv.data());
    // Some endings leave the port to the end of the process; a run must not.
    delete port;
    port = nullptr;
    return result;
}

void LoaderLine::TypeKeyAt(std::uint64_t atMs, char key) {
    testing_support::TypeKeyAt(clock, atMs, key);
}

} // namespace fuzz
