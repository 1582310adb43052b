#pragma once
// The main window on the virtual clock with sensor models on in-process COM ports: the window's
// own timers scan, probe, adopt and poll as the clock runs.

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "configurator/link/rsport.h"
#include "platform/vcl/headless/headless.h"
#include "platform/vcl/user_input.h"
#include "tests/configurator/main_window_fixture.h"
#include "tests/core/log_text.h"
#include "tests/support/sensor_frames.h"
#include "tests/support/sensor_model.h"
#include "tests/support/virtual_clock.h"
#include "tests/support/virtual_serial_line.h"

namespace testing_support {

// One request as it went over the line: when, at which baud, and what it asked.
struct SentRequest {
    std::uint64_t atMs;
    std::uint32_t baud;
    SensorFrame frame;
};

class ConnectionTest : public MainWindowTest {
  protected:
    // Runs the clock in 10-ms steps until the condition holds; false when ms passed first.
    bool RunUntil(const std::function<bool()>& condition, unsigned ms) {
        for (unsigned waited = 0; !condition(); waited += 10) {
            if (waited >= ms) return false;
            vcl::headless::RunFor(10);
        }
        return true;
    }
    bool RunUntilConnected(unsigned ms = 5000) {
        return RunUntil([] { return SensorLink != nullptr; }, ms);
    }

    // Every request the program wrote on the line, cut into frames.
    static std::vector<SentRequest> Sent(const VirtualSerialLine& line) {
        std::vector<SentRequest> sent;
        for (const LineWrite& write : line.Writes()) {
            RequestDecoder decoder(
                [](int command) -> std::optional<int> { return Rs485RequestPayloadLength(command); });
            decoder.Feed(std::string(write.bytes.begin(), write.bytes.end()));
            while (auto frame = decoder.Next())
                sent.push_back({write.atMs, write.baud, *frame});
        }
        return sent;
    }
    // "19200:33" for an RS-485 request, "9600: #f" for a K-line one (its text).
    static std::string Describe(const SentRequest& request) {
        char code[8];
        std::snprintf(code, sizeof code, "%02X", request.frame.command);
        std::string what = request.frame.format == FrameFormat::Rs485
                               ? std::string(code)
                               : std::string(request.frame.payload.begin(), request.frame.payload.end());
        return std::to_string(request.baud) + ":" + what;
    }
    static std::vector<std::string> Described(const std::vector<SentRequest>& requests) {
        std::vector<std::string> texts;
        for (const SentRequest& request : requests)
            texts.push_back(Describe(request));
        return texts;
    }

    // The log's lines without their stamps, in code page 1251 as written.
    std::vector<std::string> LogLines() const { return LogTexts(folder.Read("log.txt")); }
    // Position of the first line equal to the text at or after `from`; the end when there is none.
    std::size_t FindLine(const std::string& text, std::size_t from = 0) const {
        std::vector<std::string> lines = LogLines();
        auto found = std::find(lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())),
                               lines.end(), text);
        return static_cast<std::size_t>(found - lines.begin());
    }

    VirtualClock clock;
    TForm1& form = CreateShownWindow();
};

} // namespace testing_support
