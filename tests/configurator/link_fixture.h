#pragma once
// The sensor link's tests on the virtual clock beside the main window on the headless backend: a
// link on an in-process COM7 whose device answers each request with the next scripted run, and,
// for the decoders, a connected link on no port whose requests stay queued.

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "configurator/link/rsport.h"
#include "platform/win32/files.h"
#include "tests/configurator/main_window_fixture.h"
#include "tests/core/log_text.h"
#include "tests/support/sensor_frames.h"
#include "tests/support/virtual_clock.h"
#include "tests/support/virtual_serial_line.h"

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

class ScriptedDevice : public LineDevice {
  public:
    std::vector<TimedBytes> Received(const std::uint8_t*, std::size_t, std::uint32_t) override {
        if (answers.empty()) return {};
        Bytes answer = answers.front();
        answers.pop_front();
        return {TimedBytes{.delayMs = 5, .bytes = answer}};
    }
    std::deque<Bytes> answers;
};

inline Bytes AsBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

inline std::string Shown(const TControl* control) {
    return control->Text().ToUtf8();
}

class LinkTest : public MainWindowTest {
  protected:
    LinkTest() {
        CreateWindow();
        FormatSettings.DecimalSeparator = u',';
    }
    ~LinkTest() override {
        FormatSettings.DecimalSeparator = separator;
        if (link != SensorLink) delete link;
    }

    // A link on COM7 at 19200 baud, detecting the speed only when asked.
    void OpenLink(bool echo = false, bool detecting = false) {
        line = std::make_unique<VirtualSerialLine>(7, device, VirtualSerialLine::Options{.echo = echo});
        HANDLE port =
            CreateFileW(u"\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        link = new RSport(port, TString("COM7"), TString("Virtual serial line (COM7)"));
        link->speedDetection = detecting;
    }
    // The receive timer's work ms by ms, until the link is deleted.
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
        for (const LineWrite& write : line->Writes())
            frames.push_back(write.bytes);
        return frames;
    }
    // The link's lines behind "COM7:\t", in UTF-8.
    std::vector<std::string> LinkLog() const {
        std::vector<std::string> lines;
        for (const std::string& text : LogTexts(folder.Read("log.txt")))
            if (text.starts_with("COM7:\t"))
                lines.push_back(TString(text.substr(6), 1251).ToStdString(65001));
        return lines;
    }
    void Connect() { SensorLink = link; }
    bool Logged(const std::string& text) const {
        std::vector<std::string> lines = LinkLog();
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }

    VirtualClock clock;
    ScriptedDevice device;
    std::unique_ptr<VirtualSerialLine> line;
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
