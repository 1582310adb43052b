#pragma once
// Runs a loader flow in-process against the boot-loader emulator on an in-process COM12, with its
// console output captured and its keys typed into a pipe at moments of the virtual clock.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "loaders/common/loader_state.h"
#include "platform/win32/console.h"
#include "tests/support/firmware_image_file.h"
#include "tests/support/keyboard_pipe.h"
#include "tests/support/virtual_clock.h"
#include "tools/sensor_emulator/lines/virtual_serial_line.h"
#include "tools/sensor_emulator/models/boot_loader_emulator.h"
#include "tools/sensor_emulator/models/sensor_frames.h"

namespace loader_tests {

using sensor_emulator::BootLoaderEmulator;
using sensor_emulator::BootLoaderScript;
using sensor_emulator::LineModel;
using sensor_emulator::VirtualSerialLine;
using testing_support::MakeImage;
using testing_support::VirtualClock;

constexpr std::uint64_t StartMs = 1000;
// The runs name COM12; every other port is absent.
constexpr unsigned ComNumber = 12;

// The configurator's frames, which the loaders' must equal byte for byte.
inline std::vector<std::uint8_t> KlineFrame(const std::string& text) {
    std::string frame = sensor_emulator::EncodeKlineRequest(0, 0, text);
    return {frame.begin(), frame.end()};
}
inline std::vector<std::uint8_t> Rs485Frame(int address, int command, const std::vector<std::uint8_t>& data) {
    std::string frame = sensor_emulator::EncodeRs485Request(address, command, data);
    return {frame.begin(), frame.end()};
}

// The image as the file spells it: two hex digits a byte, 16 to a line.
inline std::string ImageText(const std::vector<std::uint8_t>& image) {
    std::string text;
    char digits[4];
    for (std::size_t i = 0; i < image.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02X", image[i]);
        text += digits;
        text += (i % 16 == 15) ? '\n' : ' ';
    }
    return text;
}

class LoaderFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("LC_ALL", "C.UTF-8", 1);
        testing_support::InstallKeyboardPipe();
        while (_kbhit())
            _getch();
        imagePath =
            (std::filesystem::temp_directory_path() / ("loader_image_" + std::to_string(::getpid()) + ".enc"))
                .string();
        // The image is read before the sensor is asked anything, so every run needs a good one.
        WriteImage(ImageText(MakeImage(1, 4)));
    }

    void TearDown() override {
        std::filesystem::remove(imagePath);
        // Some endings leave the port to the end of the process; a test run must not.
        delete port;
        port = nullptr;
    }

    void WriteImage(const std::string& text) { std::ofstream(imagePath, std::ios::binary) << text; }
    // Nothing reached the device: the run ended before the first request.
    bool DeviceHeardNothing() const { return device->Requests().empty() && device->BlocksReceived() == 0; }

    // A fresh device following `script` on a fresh line, the clock back at its start.
    void Connect(BootLoaderScript script) {
        delete port;
        port = nullptr;
        line.reset();
        clock.DropActions();
        clock.Set(StartMs);
        device = std::make_unique<BootLoaderEmulator>(script);
        line = std::make_unique<VirtualSerialLine>(ComNumber, *device, lineOptions);
    }

    // Runs `flow` with the arguments after the program name; the device follows `script`.
    template <class Flow>
    int Run(Flow flow, BootLoaderScript script, std::vector<std::string> arguments,
            const std::function<void(VirtualSerialLine&)>& prepare = {}) {
        Connect(script);
        if (prepare) prepare(*line);
        std::vector<char*> argv{const_cast<char*>("loader")};
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        ::testing::internal::CaptureStdout();
        int result = flow(static_cast<int>(argv.size()), argv.data());
        output = ::testing::internal::GetCapturedStdout();
        return result;
    }

    // The requests the device received whose payload or command is `what`.
    int CountRequests(const std::string& marker) const {
        int count = 0;
        for (const auto& request : device->Requests())
            if (std::string(request.begin(), request.end()).find(marker) != std::string::npos) ++count;
        return count;
    }

    bool Says(const std::string& text) const { return output.find(text) != std::string::npos; }
    void TypeKeyAt(std::uint64_t atMs, char key) { testing_support::TypeKeyAt(clock, atMs, key); }

    VirtualClock clock{StartMs};
    std::unique_ptr<BootLoaderEmulator> device;
    // The device echoes by itself (its script says whether), so the line does not.
    VirtualSerialLine::Options lineOptions;
    std::unique_ptr<VirtualSerialLine> line;
    std::string output;
    std::string imagePath;
};

} // namespace loader_tests
