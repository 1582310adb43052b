// Fuzz links: core
// Buffer under any sequence of appends, moves to an offset (as a caller that puts a header in
// front does) and refused calls: its bytes always equal a plain byte string kept beside it, it
// always has room for them, and a refused call throws and changes nothing.

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>

#include "core/buffer.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool Holds(const Buffer& buffer, const std::string& model) {
    return buffer.size == model.size() && buffer.capacity >= buffer.size &&
           (model.empty() || std::memcmp(buffer.data, model.data(), model.size()) == 0);
}

// Runs a call that must be refused: it throws std::length_error and leaves the buffer as it was.
template <class Call> void CheckRefused(Buffer& buffer, const std::string& model, Call call) {
    std::uint8_t* data = buffer.data;
    std::uint32_t capacity = buffer.capacity;
    bool threw = false;
    try {
        call();
    } catch (const std::length_error&) {
        threw = true;
    }
    FUZZ_CHECK(threw);
    FUZZ_CHECK(buffer.data == data && buffer.capacity == capacity && Holds(buffer, model));
}

void Append(Buffer& buffer, std::string& model, FuzzedDataProvider& input) {
    std::string bytes = input.ConsumeRandomLengthString(512);
    if (input.ConsumeBool())
        buffer.Append(bytes.data(), static_cast<int>(bytes.size()));
    else
        buffer.Append(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                      static_cast<unsigned>(bytes.size()));
    model += bytes;
}

// Moves the bytes to an offset, then fills the gap in front and counts it, as a caller would.
void MoveToOffset(Buffer& buffer, std::string& model, FuzzedDataProvider& input) {
    auto offset = input.ConsumeIntegralInRange<unsigned>(0, 300);
    unsigned newSize = buffer.size + offset + input.ConsumeIntegralInRange<unsigned>(0, 300);
    char fill = input.ConsumeIntegral<char>();
    buffer.ReAlloc(newSize, static_cast<int>(offset));
    FUZZ_CHECK(buffer.capacity >= newSize);
    FUZZ_CHECK(model.empty() || std::memcmp(buffer.data + offset, model.data(), model.size()) == 0);
    std::memset(buffer.data, fill, offset);
    buffer.size += offset;
    model.insert(0, offset, fill);
}

void Refuse(Buffer& buffer, const std::string& model, FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0: {
        // The bytes in use would not fit behind the offset.
        auto offset = input.ConsumeIntegralInRange<unsigned>(1, 300);
        unsigned newSize = buffer.size + offset - input.ConsumeIntegralInRange<unsigned>(1, offset);
        CheckRefused(buffer, model, [&] { buffer.ReAlloc(newSize, static_cast<int>(offset)); });
        break;
    }
    case 1: {
        int offset = input.ConsumeIntegralInRange(INT_MIN, -1);
        CheckRefused(buffer, model, [&] { buffer.ReAlloc(buffer.size + 1000, offset); });
        break;
    }
    case 2: {
        int length = input.ConsumeIntegralInRange(INT_MIN, -1);
        CheckRefused(buffer, model, [&] { buffer.Append("x", length); });
        break;
    }
    default: {
        // Past 32 bits of size; never read, since the length is refused first.
        unsigned length = UINT32_MAX - buffer.size + input.ConsumeIntegralInRange<unsigned>(1, 1000);
        if (length > UINT32_MAX - buffer.size)
            CheckRefused(buffer, model,
                         [&] { buffer.Append(reinterpret_cast<const std::uint8_t*>(model.data()), length); });
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Buffer buffer;
    std::string model;
    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0:
            Append(buffer, model, input);
            break;
        case 1:
            MoveToOffset(buffer, model, input);
            break;
        default:
            Refuse(buffer, model, input);
            break;
        }
        FUZZ_CHECK(Holds(buffer, model));
    }
    return 0;
}
