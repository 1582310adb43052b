// Costs of the serial path: the configurator's idle input check (it runs every millisecond) and
// a 1 KiB write and read back through the emulator's echo.

#include <benchmark/benchmark.h>

#include "core/com_port_base.h"
#include "core/port_scan.h"
#include "platform/win32/files.h"
#include "platform/win32/serial.h"
#include "tests/support/current_folder.h"
#include "tests/support/emulator_port.h"
#include "tools/sensor_emulator/lines/emulator_line.h"

namespace {

using sensor_emulator::EmulatorLine;
using sensor_emulator::PortMap;

class CountingPort : public ComPortBase {
  public:
    using ComPortBase::ComPortBase;
    void OnReceive(std::int32_t count) override { received += count; }
    std::int64_t received = 0;
};

void CheckInputOnIdlePort(benchmark::State& state) {
    testing_support::TemporaryCurrentFolder folder; // the port's log goes there
    PortMap map;
    EmulatorLine line(map, {.comNumber = 1});
    HANDLE handle = OpenComPort(TString("COM1"));
    if (handle == INVALID_HANDLE_VALUE) {
        state.SkipWithError("port did not open");
        return;
    }
    CountingPort port(handle, TString("COM1"), TString("Emulated sensor (COM1)"), 19200, 0);
    for (auto _ : state)
        port.CheckInput();
    if (port.received != 0) state.SkipWithError("an idle port reported input");
}
BENCHMARK(CheckInputOnIdlePort);

void RoundTripOneKibibyte(benchmark::State& state) {
    PortMap map;
    EmulatorLine line(map, {.comNumber = 1, .echo = true});
    line.Start();
    HANDLE handle = testing_support::OpenEmulatorPort(line.ComName(), CBR_115200, 5000);
    if (handle == INVALID_HANDLE_VALUE) {
        state.SkipWithError("port did not open");
        return;
    }
    std::string out(1024, '\0'), in(1024, '\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char>(i * 7);
    for (auto _ : state) {
        DWORD written = 0, read = 0;
        if (!WriteFile(handle, out.data(), 1024, &written, nullptr) ||
            !ReadFile(handle, in.data(), 1024, &read, nullptr) || read != 1024 || in != out) {
            state.SkipWithError("round trip lost bytes");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 1024);
    CloseHandle(handle);
}
BENCHMARK(RoundTripOneKibibyte)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
