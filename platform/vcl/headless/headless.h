#pragma once
// The windowless backend for tests: no widgets, timers on the (virtual) clock, message boxes and
// the open dialog answered from a script. What the user does is vcl::UserClick and its siblings
// (platform/vcl/user_input.h).

#include <functional>
#include <optional>
#include <vector>

#include "platform/vcl/unicode_string.h"
#include "platform/win32/message_box.h"

namespace vcl::headless {

struct MessageBoxRecord {
    HWND owner;
    UnicodeString text;
    UnicodeString caption;
    UINT type;
    int answer;
};

// Answers for the next message boxes, in order. A box with no scripted answer gets its safe
// button: IDOK, or IDNO for a Yes/No box.
void AnswerMessageBoxes(std::vector<int> answers);
// Every box shown since the last Reset.
const std::vector<MessageBoxRecord>& MessageBoxes();

// Runs the action while each following message box is up, after it is recorded and before it is
// answered, as a real modal box keeps pumping messages (due timers, the user closing the window).
// Boxes shown by the action itself do not run it again. An empty action ends this.
void WhileMessageBoxUp(std::function<void()> action);

struct OpenDialogRecord {
    UnicodeString initialDir;
    UnicodeString defaultExt;
    UnicodeString filter;
};
// The file the next open dialog returns; nullopt (or nothing scripted) means the user cancels.
void ChooseFile(std::optional<UnicodeString> path);
const std::vector<OpenDialogRecord>& OpenDialogs();

// Fires every running timer whose period has ended on the clock (what pumping messages does).
void RunDueTimers();
// Moves the clock forward by ms (a virtual clock jumps, the real one sleeps), firing each timer
// at the moment its period ends, in time order.
void RunFor(unsigned ms);

// Makes the next message loops (Application->Run) return once this many ms have passed on the
// clock, as if the user had closed the window; 0 lifts the limit. Whole-program tests use it.
void LimitMessageLoop(unsigned ms);

// Forgets scripts, records and the loop limit (timers stay with their components).
void Reset();

} // namespace vcl::headless
