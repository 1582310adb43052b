#pragma once
// A ComPortBase that records what OnReceive was told and reads the bytes, as the sensor link does.

#include <cstdint>
#include <string>
#include <vector>

#include "core/com_port_base.h"
#include "platform/win32/io_object.h"

namespace testing_support {

class RecordingComPort : public ComPortBase {
  public:
    using ComPortBase::ComPortBase;
    void OnReceive(std::int32_t count) override {
        counts.push_back(count);
        std::string chunk(static_cast<std::size_t>(count), '\0');
        DWORD done = 0;
        ReadFile(handle, chunk.data(), static_cast<DWORD>(count), &done, nullptr);
        bytes += chunk.substr(0, done);
    }
    std::vector<std::int32_t> counts;
    std::string bytes;
};

} // namespace testing_support
