#pragma once
// The main window on the virtual clock with sensor links on in-process COM ports: a link opened on
// a line by the test and pumped by it, or the window's own timers scanning, adopting and polling as
// the clock runs. For the decoders, a connected link on no port whose requests stay queued.

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "configurator/link/rsport.h"
#include "platform/vcl/headless/headless.h"
#include "platform/vcl/sysutils.h"
#include "platform/vcl/user_input.h"
#include "platform/win32/files.h"
#include "tests/configurator/main_window_fixture.h"
#include "tests/support/log_text.h"
#include "tools/sensor_emulator/lines/virtual_serial_line.h"
#include "tools/sensor_emulator/models/sensor_frames.h"
#include "tools/sensor_emulator/models/sensor_model.h"

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

// Answers each write with the next scripted run, 5 ms after it.
class ScriptedDevice : public sensor_emulator::LineDevice {
  public:
    std::vector<sensor_emulator::TimedBytes> Received(const std::uint8_t*, std::size_t,
                                                      std::uint32_t) override {
        if (answers.empty()) return {};
        Bytes answer = answers.front();
        answers.pop_front();
        return {sensor_emulator::TimedBytes{.delayMs = 5, .bytes = answer}};
    }
    std::deque<Bytes> answers;
};

// One request as it went over the line: when, at which baud, and what it asked.
struct SentRequest {
    std::uint64_t atMs;
    std::uint32_t baud;
    sensor_emulator::SensorFrame frame;
};

inline Bytes AsBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

inline std::string Shown(const TControl* control) {
    return control->Text().ToUtf8();
}

class LinkTest : public ShownWindowTest {
  protected:
    LinkTest() { FormatSettings.DecimalSeparator = u','; }
    ~LinkTest() override {
        FormatSettings.DecimalSeparator = separator;
        if (link != SensorLink) delete link;
    }

    // A new link on the line's port at 19200 baud, detecting the speed only when asked.
    static RSport* OpenLink(const sensor_emulator::VirtualSerialLine& line, bool detecting = false) {
        TString name(line.ComName().c_str());
        HANDLE port = CreateFileW((TString(u"\\\\.\\") + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        auto* opened = new RSport(port, name, TString("Virtual serial line (") + name + ")");
        opened->speedDetection = detecting;
        return opened;
    }
    // `link` on COM7, whose device answers with `device.answers`.
    void OpenScriptedLink(bool echo = false, bool detecting = false) {
        line = std::make_unique<sensor_emulator::VirtualSerialLine>(
            7, device, sensor_emulator::VirtualSerialLine::Options{.echo = echo});
        link = OpenLink(*line, detecting);
    }
    // The receive timer's work on `link` ms by ms, until the link is deleted.
    void Pump(unsigned ms) {
        for (unsigned i = 0; i < ms && link; ++i) {
            clock.Advance(1);
            bool adopted = SensorLink == link;
            link->CheckInput();
            if (adopted && SensorLink != link) link = nullptr;
        }
    }
    std::vector<Bytes> Written() const {
        std::vector<Bytes> frames;
        for (const sensor_emulator::LineWrite& write : line->Writes())
            frames.push_back(write.bytes);
        return frames;
    }

    // Runs the window's timers in 10-ms steps until the condition holds; false when ms passed first.
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
    // The requests written on the line from the first-th on, cut into frames.
    static std::vector<SentRequest> Sent(const sensor_emulator::VirtualSerialLine& on,
                                         std::size_t first = 0) {
        std::vector<SentRequest> sent;
        for (const sensor_emulator::LineWrite& write : on.Writes()) {
            sensor_emulator::RequestDecoder decoder([](int command) -> std::optional<int> {
                return sensor_emulator::Rs485RequestPayloadLength(command);
            });
            decoder.Feed(std::string(write.bytes.begin(), write.bytes.end()));
            while (auto frame = decoder.Next())
                sent.push_back({write.atMs, write.baud, *frame});
        }
        sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(std::min(first, sent.size())));
        return sent;
    }

    // The log's lines without their stamps, in UTF-8.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines = LogTexts(folder.Read("log.txt"));
        for (std::string& line : lines)
            line = TString(line, 1251).ToStdString(65001);
        return lines;
    }
    // Position of the first line equal to the text at or after `from`; the end when there is none.
    std::size_t FindLine(const std::string& text, std::size_t from = 0) const {
        std::vector<std::string> lines = LogLines();
        auto found = std::find(lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())),
                               lines.end(), text);
        return static_cast<std::size_t>(found - lines.begin());
    }
    // COM7's lines, behind their "COM7:\t".
    std::vector<std::string> LinkLog() const {
        std::vector<std::string> lines;
        for (const std::string& text : LogLines())
            if (text.starts_with("COM7:\t")) lines.push_back(text.substr(6));
        return lines;
    }
    bool Logged(const std::string& text) const {
        std::vector<std::string> lines = LinkLog();
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }

    ScriptedDevice device;
    std::unique_ptr<sensor_emulator::VirtualSerialLine> line;
    RSport* link = nullptr;
    WCHAR separator = FormatSettings.DecimalSeparator;
};

struct ReplyRow {
    const char* what;
    std::uint8_t command;
    Bytes payload;
    std::function<void(TForm1&, RSport&)> setup;
    std::vector<std::pair<const char16_t*, std::string>> shown; // control name, text
    std::vector<int> queued;
    std::vector<const char16_t*> white; // every edit starts light green
    std::uint8_t address = 0;
};

class ReplyTest : public LinkTest {
  protected:
    explicit ReplyTest(std::int32_t baud) { link = &ConnectWaitingLink(baud); }

    void Decode(std::uint8_t command, const Bytes& payload, std::uint8_t address = 0) {
        RSport::DecodeReply(link, command, payload.data(), static_cast<std::int32_t>(payload.size()),
                            address);
    }
    void Check(const ReplyRow& row) {
        SCOPED_TRACE(row.what);
        for (int i = 0; i < Form1->ComponentCount(); ++i)
            if (auto* edit = dynamic_cast<TEdit*>(Form1->Components(i))) {
                edit->SetText(u"");
                edit->SetColor(clLightGreen);
            }
        Form1->Label15->SetCaption(u"");
        link->RequestQueue.clear();
        if (row.setup) row.setup(*Form1, *link);
        Decode(row.command, row.payload, row.address);
        for (const auto& [name, text] : row.shown)
            EXPECT_EQ(Shown(Control(name)), text) << UnicodeString(name).ToUtf8();
        EXPECT_EQ(Queued(*link), row.queued);
        for (const char16_t* name : row.white)
            EXPECT_EQ(Control(name)->Color(), clWhite) << UnicodeString(name).ToUtf8();
    }
    static TControl* Control(const char16_t* name) {
        return dynamic_cast<TControl*>(Form1->FindComponent(name));
    }
};

} // namespace testing_support
