// What the loaders add to a firmware transfer: a 64 KiB image through the boot-loader emulator,
// bytes paced at the line's baud and a fixed flash write time per block. The figure of merit is
// loader time / (wire time + device write time); 1.0 is a loader that adds nothing.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "loaders/common/firmware_transfer.h"
#include "loaders/common/loader_state.h"
#include "tools/sensor_emulator/lines/boot_loader_line.h"

namespace {

using sensor_emulator::BootLoaderLine;
using sensor_emulator::BootLoaderScript;
using sensor_emulator::LineModel;
using sensor_emulator::PortMap;

constexpr int ImageBytes = 65536;
constexpr std::uint32_t WriteDelayMs = 25;

void TransferPacedImage(benchmark::State& state) {
    const int onWire = static_cast<int>(state.range(0));
    const bool kline = state.range(1) != 0;
    const std::uint32_t baud = kline ? 9600 : 19200;
    std::vector<std::uint8_t> image;
    while (static_cast<int>(image.size()) < ImageBytes) {
        int data = onWire - 2;
        image.push_back(static_cast<std::uint8_t>(data >> 8));
        image.push_back(static_cast<std::uint8_t>(data));
        for (int i = 0; i < data; ++i)
            image.push_back(static_cast<std::uint8_t>(i * 7 + image.size()));
    }
    const int blocks = static_cast<int>(image.size()) / onWire;
    for (auto _ : state) {
        PortMap map;
        BootLoaderScript script;
        script.model = kline ? LineModel::Kline : LineModel::Rs485;
        script.inLoader = true;
        script.announcements = 0;
        script.writeDelayMs = WriteDelayMs;
        BootLoaderLine line(map, script, /*pace=*/true);
        port = new LoaderComPort;
        std::string path = "\\\\.\\" + line.ComName();
        if (!port->Open(path.c_str(), baud)) {
            state.SkipWithError("port did not open");
            break;
        }
        // The progress lines would mix with the report.
        std::fflush(stdout);
        int console = dup(STDOUT_FILENO);
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        auto start = std::chrono::steady_clock::now();
        auto result = loaders::TransferFirmwareImage(image.data(), static_cast<int>(image.size()));
        double loaderSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fflush(stdout);
        dup2(console, STDOUT_FILENO);
        close(console);
        close(quiet);
        delete port;
        port = nullptr;
        if (result != loaders::TransferResult::Success || line.Device().Image() != image) {
            state.SkipWithError("the image did not arrive whole");
            break;
        }
        // Each block crosses the line once (its echo is the same bits) and one answer byte comes
        // back; 8N1 spends ten bit times a byte.
        double byteSeconds = 10.0 / baud;
        double needed = (image.size() + blocks) * byteSeconds + blocks * WriteDelayMs / 1000.0;
        state.SetIterationTime(loaderSeconds);
        state.counters["needed_s"] = needed;
        state.counters["loader_s"] = loaderSeconds;
        state.counters["ratio"] = loaderSeconds / needed;
    }
}

BENCHMARK(TransferPacedImage)
    ->ArgNames({"block", "kline"})
    ->Args({4096, 0})
    ->Args({1024, 0})
    ->Args({256, 0})
    ->Args({4096, 1})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
