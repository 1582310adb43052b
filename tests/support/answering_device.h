#pragma once
// The simplest line device, for tests of the transports: it keeps what it heard and at which baud,
// and answers each write heard at its own baud with one reply after a delay. At another baud it
// hears noise and stays silent, as a real sensor does.

#include <cstdint>
#include <vector>

#include "tools/sensor_emulator/models/line_device.h"

namespace testing_support {

class AnsweringDevice : public sensor_emulator::LineDevice {
  public:
    struct Heard {
        std::vector<std::uint8_t> bytes;
        std::uint32_t baud;
    };

    AnsweringDevice(std::uint32_t baud, std::vector<std::uint8_t> reply, std::uint32_t delayMs)
        : baud(baud), reply(std::move(reply)), delayMs(delayMs) {}

    std::vector<sensor_emulator::TimedBytes> Received(const std::uint8_t* bytes, std::size_t count,
                                                      std::uint32_t lineBaud) override {
        heard.push_back({{bytes, bytes + count}, lineBaud});
        if (lineBaud != baud) return {};
        return {sensor_emulator::TimedBytes{.delayMs = delayMs, .bytes = reply}};
    }

    std::vector<Heard> heard;

  private:
    std::uint32_t baud;
    std::vector<std::uint8_t> reply;
    std::uint32_t delayMs;
};

} // namespace testing_support
