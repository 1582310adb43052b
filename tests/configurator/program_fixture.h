#pragma once
// The whole configurator on the headless backend, as its main runs it: the entry wWinMain splits the
// command line, creates the window and runs the message loop. The loop pauses whenever the test
// looks at the window or acts as the user (vcl::UserClick and its siblings), and runs on while the
// user waits; at the end the user closes the window.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "configurator/startup.h"
#include "platform/vcl/headless/headless.h"
#include "platform/vcl/user_input.h"
#include "tests/configurator/main_window_fixture.h"
#include "tests/support/log_text.h"
#include "tools/sensor_emulator/models/sensor_model.h"

namespace testing_support {

class ProgramTest : public MainWindowTest {
  protected:
    // The program starts with the command line; its loop runs for `ms`.
    void Start(std::u16string commandLine = u"", unsigned ms = 10) {
        // A program starts with its statics fresh; a test may start it twice.
        TForm1::LastLevelCode = 0;
        TForm1::PollClockSet = false;
        this->commandLine = std::move(commandLine);
        vcl::headless::LimitMessageLoop(ms);
        EXPECT_EQ(wWinMain(nullptr, nullptr, this->commandLine.data(), 1), 0);
        ASSERT_NE(Form1, nullptr);
    }
    TForm1& Window() { return *Form1; }

    // The user waits while the message loop runs on for ms.
    void Wait(unsigned ms) {
        vcl::headless::LimitMessageLoop(ms);
        Application->Run();
    }
    // The loop runs on in 10-ms slices until the condition holds; false when ms passed first.
    bool WaitUntil(const std::function<bool()>& condition, unsigned ms) {
        for (unsigned waited = 0; !condition(); waited += 10) {
            if (waited >= ms) return false;
            Wait(10);
        }
        return true;
    }
    // Polled readings have reached the window.
    bool WaitForReadings(unsigned ms = 5000) {
        return WaitUntil([] { return SensorLink && !Form1->Edit6->Text().IsEmpty(); }, ms);
    }

    // The user closes the window: the loop ends, the link is let go and the program says so last.
    void Close() {
        vcl::UserClose(Window());
        EXPECT_FALSE(Window().Visible());
        EXPECT_EQ(SensorLink, nullptr);
        std::vector<std::string> log = LogTexts(folder.Read("log.txt"));
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), "Program CLOSED");
        Application->DestroyForms();
        Form1 = nullptr;
        CommandLineWords.clear();
    }

    struct Shown {
        TControl* control;
        const char* text; // UTF-8
    };
    // What the window shows, control by control.
    static void ExpectShown(std::initializer_list<Shown> rows) {
        for (const Shown& row : rows)
            EXPECT_EQ(row.control->Text().ToUtf8(), row.text) << row.control->Name().ToUtf8();
    }

    // The commands a model heard from request `from` on.
    static std::vector<int> Heard(const sensor_emulator::SensorModel& model, std::size_t from = 0) {
        std::vector<int> commands;
        std::vector<sensor_emulator::SensorFrame> requests = model.Requests();
        for (std::size_t i = from; i < requests.size(); ++i)
            commands.push_back(requests[i].command);
        return commands;
    }

  private:
    std::u16string commandLine; // the words point into it for the whole run
};

} // namespace testing_support
