// Fuzz links: core
// TString's conversions of narrow bytes and its percent decoding. Percent decoding never grows the
// text and reads text without escapes as UTF-8, also when every byte comes escaped; the single-byte
// pages give one character per byte and give the bytes back; well-formed UTF-8 comes back as it
// was, or as 2n '#' when it needs more than two bytes a character; numbers read as the C library
// reads them, clamped.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

#include "core/tstring.h"
#include "platform/win32/codepages.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool HasNul(const std::string& bytes) {
    return bytes.find('\0') != std::string::npos;
}

void CheckPercentDecoding(const std::string& bytes, const std::string& escapeCase) {
    TString decoded(bytes, CodePagePercent);
    FUZZ_CHECK(decoded.size() <= bytes.size());
    TString asUtf8(bytes.data(), static_cast<int>(bytes.size()), CodePageUtf8);
    if (bytes.find('%') == std::string::npos) FUZZ_CHECK(decoded == asUtf8);

    // Every byte escaped, in the digit case the input picks.
    static const char upper[] = "0123456789ABCDEF", lower[] = "0123456789abcdef";
    std::string escaped;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bool low = i < escapeCase.size() && (escapeCase[i] & 1);
        const char* digits = low ? lower : upper;
        auto byte = static_cast<unsigned char>(bytes[i]);
        escaped += {'%', digits[byte >> 4], digits[byte & 15]};
    }
    FUZZ_CHECK(TString(escaped, CodePagePercent) == asUtf8);
}

void CheckSingleBytePage(const std::string& bytes, int codePage) {
    if (bytes.empty() || HasNul(bytes)) return;
    TString text(bytes.data(), static_cast<int>(bytes.size()), codePage);
    FUZZ_CHECK(text.size() == bytes.size());
    FUZZ_CHECK(text.ToStdString(codePage) == bytes);
}

void CheckUtf8(const std::string& bytes) {
    if (bytes.empty() || HasNul(bytes)) return;
    TString text(bytes.data(), static_cast<int>(bytes.size()), CodePageUtf8);
    FUZZ_CHECK(!text.empty() && text.size() <= bytes.size());
    bool wellFormed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                          static_cast<int>(bytes.size()), nullptr, 0) > 0;
    if (!wellFormed) return;
    std::string back = text.ToStdString(CodePageUtf8);
    if (bytes.size() <= 2 * text.size())
        FUZZ_CHECK(back == bytes);
    else
        FUZZ_CHECK(back == std::string(2 * text.size(), '#'));
}

void CheckRawUtf16(const std::string& bytes) {
    TString text(bytes.data(), static_cast<int>(bytes.size()), CodePageUtf16);
    FUZZ_CHECK(text.size() == bytes.size() / 2);
    FUZZ_CHECK(text.ToStdString(CodePageUtf16) == bytes.substr(0, bytes.size() & ~std::size_t{1}));
}

// The text as the C library would see it: characters past ASCII are no digits, blanks or signs.
std::string AsAscii(const TString& text) {
    std::string ascii;
    for (WCHAR c : text)
        ascii += c < 0x80 ? static_cast<char>(c) : 'z';
    return ascii;
}

void CheckNumbers(const TString& text, int value) {
    long long read = std::strtoll(AsAscii(text).c_str(), nullptr, 10);
    FUZZ_CHECK(text.ToInt(false) == static_cast<int>(std::clamp<long long>(read, INT_MIN, INT_MAX)));
    FUZZ_CHECK(TString(value).ToInt(false) == value);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(value));
    FUZZ_CHECK(TString(hex).ToInt(true) == value);
    std::snprintf(hex, sizeof hex, " 0x%x", static_cast<unsigned>(value));
    FUZZ_CHECK(TString(hex).ToInt(true) == value);
}

void CheckBetween(const TString& text, WCHAR open, WCHAR close) {
    TString inside = text.Between(open, close);
    std::size_t start = text.find(open);
    if (inside.empty()) return;
    FUZZ_CHECK(start != TString::npos && text.compare(start + 1, inside.size(), inside) == 0);
    FUZZ_CHECK(inside.find(close) == TString::npos);
    FUZZ_CHECK(start + 1 + inside.size() < text.size() && text[start + 1 + inside.size()] == close);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    int value = input.ConsumeIntegral<int>();
    auto open = static_cast<WCHAR>(input.ConsumeIntegral<std::uint8_t>());
    auto close = static_cast<WCHAR>(input.ConsumeIntegral<std::uint8_t>());
    std::string escapeCase = input.ConsumeRandomLengthString(64);
    std::string bytes = input.ConsumeRemainingBytesAsString();

    CheckPercentDecoding(bytes, escapeCase);
    CheckSingleBytePage(bytes, CodePageCyrillic);
    CheckSingleBytePage(bytes, 866);
    CheckUtf8(bytes);
    CheckRawUtf16(bytes);
    TString text(bytes.data(), static_cast<int>(bytes.size()), CodePageCyrillic);
    CheckNumbers(text, value);
    CheckBetween(text, open, close);
    return 0;
}
