#pragma once
// A message pump installed for the life of the object: a queue of numbered messages that counts
// how often it is looked at and records what is translated and dispatched, with the tick.

#include <deque>
#include <utility>
#include <vector>

#include "platform/win32/clock.h"
#include "platform/win32/messages.h"

namespace testing_support {

struct RecordingPump : win32::MessagePump {
    int peeks = 0;
    std::deque<UINT> queue;
    std::vector<UINT> translated;
    std::vector<std::pair<UINT, DWORD>> dispatched;

    RecordingPump() { win32::InstallMessagePump(this); }
    ~RecordingPump() override { win32::InstallMessagePump(nullptr); }
    RecordingPump(const RecordingPump&) = delete;
    RecordingPump& operator=(const RecordingPump&) = delete;

    bool Peek(MSG& message, HWND, UINT, UINT, UINT remove) override {
        ++peeks;
        if (queue.empty()) return false;
        message = MSG{nullptr, queue.front(), 0, 0, 0, {0, 0}};
        if (remove == PM_REMOVE) queue.pop_front();
        return true;
    }
    bool Translate(const MSG& message) override {
        translated.push_back(message.message);
        return false;
    }
    LRESULT Dispatch(const MSG& message) override {
        dispatched.emplace_back(message.message, GetTickCount());
        return static_cast<LRESULT>(message.message) * 2;
    }
};

} // namespace testing_support
