// Fuzz links: configurator
// The K-line decoder's number taking on any reply text: the value is the C library's reading of
// the leading number, kept within 32 bits, and the text loses exactly what stands up to its first
// blank, or nothing when it has none.

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

#include "configurator/link/link_text.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string before = text;
    std::int32_t number = TakeLeadingNumber(text);

    long long read = std::strtoll(before.c_str(), nullptr, 10);
    FUZZ_CHECK(number == std::clamp<long long>(read, INT32_MIN, INT32_MAX));
    std::size_t blank = before.find(' ');
    FUZZ_CHECK(text == (blank == std::string::npos ? before : before.substr(blank + 1)));
    return 0;
}
