// Fuzz links: core
// ByteCursor under any sequence of reads, writes and skips over an area of exactly the stated
// size: each step does what a plain model of the area says, never touches a byte past the area,
// and a step that does not fit throws and changes nothing (position, bytes left, the area).

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/byte_cursor.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Model {
    Bytes area;
    std::size_t at = 0;
    std::size_t Left() const { return area.size() - at; }
    bool Fits(std::size_t count) const { return count <= Left(); }
};

class Walk {
  public:
    // An empty area is a null pointer, as a buffer that never grew hands it over.
    explicit Walk(Bytes initial)
        : area(initial.empty() ? nullptr : std::make_unique<std::uint8_t[]>(initial.size())), model{std::move(
                                                                                                  initial)},
          position(area.get()) {
        std::copy(model.area.begin(), model.area.end(), area.get());
    }

    // Runs one step; `fits` says whether the model expects it to go through.
    template <class Step> void Run(bool fits, Step step) {
        std::uint8_t* before = position;
        bool threw = false;
        try {
            step();
        } catch (int) {
            threw = true;
        }
        FUZZ_CHECK(threw == !fits);
        if (threw) FUZZ_CHECK(position == before);
        FUZZ_CHECK(static_cast<std::size_t>(position - area.get()) == model.at &&
                   cursor.Left() == model.Left());
        FUZZ_CHECK(model.area.empty() || std::memcmp(area.get(), model.area.data(), model.area.size()) == 0);
    }

    void Step(FuzzedDataProvider& input);

  private:
    // Heap bytes of exactly the area's size, so that a touch past them is caught.
    std::unique_ptr<std::uint8_t[]> area;
    Model model;
    std::uint8_t* position;
    ByteCursor cursor{&position, static_cast<std::uint32_t>(model.area.size())};
};

std::uint32_t LittleEndian(const std::uint8_t* bytes, unsigned n) {
    std::uint32_t value = 0;
    for (unsigned i = 0; i < n; ++i)
        value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return value;
}

void Walk::Step(FuzzedDataProvider& input) {
    auto n = input.ConsumeIntegralInRange<unsigned>(0, 6);
    bool fits = n <= 4 && model.Fits(n);
    switch (input.ConsumeIntegralInRange(0, 5)) {
    case 0:
        Run(fits, [&] {
            std::uint32_t expected = fits ? LittleEndian(model.area.data() + model.at, n) : 0;
            FUZZ_CHECK(static_cast<std::uint32_t>(cursor.ReadLE(n)) == expected);
            model.at += n;
        });
        break;
    case 1: {
        auto value = input.ConsumeIntegral<std::uint32_t>();
        Run(fits, [&] {
            cursor.WriteLE(&value, n);
            for (unsigned i = 0; i < n; ++i)
                model.area[model.at++] = static_cast<std::uint8_t>(value >> (8 * i));
        });
        break;
    }
    case 2: {
        std::string text = input.ConsumeRandomLengthString(8);
        text = text.substr(0, text.find('\0'));
        unsigned width = input.ConsumeBool() ? 0 : n;
        std::size_t field = width == 0 ? text.size() : width;
        Run(model.Fits(field), [&] {
            cursor.WriteText(text.c_str(), width);
            std::copy_n(text.begin(), std::min(field, text.size()),
                        model.area.begin() + static_cast<std::ptrdiff_t>(model.at));
            model.at += field;
        });
        break;
    }
    case 3: {
        Bytes bytes = input.ConsumeBytes<std::uint8_t>(n);
        Run(model.Fits(bytes.size()), [&] {
            cursor.WriteBytes(bytes.data(), static_cast<unsigned>(bytes.size()));
            std::copy(bytes.begin(), bytes.end(), model.area.begin() + static_cast<std::ptrdiff_t>(model.at));
            model.at += bytes.size();
        });
        break;
    }
    case 4:
        Run(model.Fits(n), [&] {
            cursor.Skip(n);
            model.at += n;
        });
        break;
    default: {
        auto begin = model.area.begin() + static_cast<std::ptrdiff_t>(model.at);
        if (input.ConsumeBool()) {
            Run(model.Fits(n), [&] {
                FUZZ_CHECK(cursor.ReadString(static_cast<int>(n)) == std::string(begin, begin + n));
                model.at += n;
            });
            break;
        }
        auto nul = std::find(begin, model.area.end(), 0);
        Run(nul != model.area.end(), [&] {
            FUZZ_CHECK(cursor.ReadString(-1) == std::string(begin, nul));
            model.at += static_cast<std::size_t>(nul - begin) + 1;
        });
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Walk walk(input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 48)));
    while (input.remaining_bytes() > 0)
        walk.Step(input);
    return 0;
}
