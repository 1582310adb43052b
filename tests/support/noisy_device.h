#pragma once
// A device behind line noise: it hears and answers as the device inside it does, and a run of noise
// that a test queues goes out on the line ahead of the answer to the next write heard, at that
// write's baud. So noise comes at a point of the exchange the test chooses (after a probe, while
// connected) and takes its wire time like any byte; answers meanwhile are lost in it.

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/win32/clock.h"
#include "tools/sensor_emulator/models/line_device.h"

namespace testing_support {

class NoisyDevice : public sensor_emulator::LineDevice {
  public:
    explicit NoisyDevice(sensor_emulator::LineDevice& device) : device(device) {}

    // The noise follows the next write heard that finds no other noise queued before it.
    void AfterNextWrite(std::vector<std::uint8_t> noise, std::uint32_t delayMs = 1) {
        queued.push_back(sensor_emulator::TimedBytes{.delayMs = delayMs, .bytes = std::move(noise)});
    }
    // The tick by which the last noise sent has arrived in full; 0 while none has gone out.
    std::uint32_t NoiseEndMs() const { return noiseEndMs; }

    std::vector<sensor_emulator::TimedBytes> Opened() override { return device.Opened(); }
    bool Announcing() const override { return device.Announcing(); }
    std::vector<sensor_emulator::TimedBytes> Received(const std::uint8_t* bytes, std::size_t count,
                                                      std::uint32_t baud) override {
        std::vector<sensor_emulator::TimedBytes> answers = device.Received(bytes, count, baud);
        // An answer sent while the noise is on the line is lost in it.
        if (GetTickCount() < noiseEndMs) answers.clear();
        if (queued.empty()) return answers;
        sensor_emulator::TimedBytes noise = std::move(queued.front());
        queued.pop_front();
        // Ten bits a byte on the wire, rounded up to the next millisecond.
        std::uint64_t wireMs = (noise.bytes.size() * 10'000ULL + baud - 1) / baud;
        noiseEndMs = static_cast<std::uint32_t>(GetTickCount() + noise.delayMs + wireMs + 1);
        answers.insert(answers.begin(), std::move(noise));
        return answers;
    }

  private:
    sensor_emulator::LineDevice& device;
    std::deque<sensor_emulator::TimedBytes> queued;
    std::uint32_t noiseEndMs = 0;
};

} // namespace testing_support
