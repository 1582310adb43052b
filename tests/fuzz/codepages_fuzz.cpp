// Fuzz links: win32
// The code page conversions on any text. The single-byte pages give one character per byte and
// the same bytes back; UTF-8 decodes leniently to at most one unit per byte, strictly only when
// well-formed, and well-formed text comes back byte for byte; UTF-16 encodes strictly exactly when
// no surrogate stands alone, and leniently to the units with each lone surrogate replaced. A size
// query gives the count a conversion writes, and an output one unit too small is refused without
// a unit written.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/codepages.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr UINT Pages[] = {CP_ACP, CP_OEMCP, 1251, 866, CP_UTF8};

// Runs a conversion as a careful caller does: the size query, an output one unit short (refused,
// nothing written), then an output of the size asked for. Nothing when the conversion fails.
template <class Unit, class Convert> std::optional<std::basic_string<Unit>> Converted(Convert convert) {
    int needed = convert(nullptr, 0);
    if (needed <= 0) return std::nullopt;
    const std::basic_string<Unit> untouched(static_cast<std::size_t>(needed) + 1, Unit('~'));
    std::basic_string<Unit> out = untouched;
    if (needed > 1) {
        FUZZ_CHECK(convert(out.data(), needed - 1) == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER);
        FUZZ_CHECK(out == untouched);
    }
    FUZZ_CHECK(convert(out.data(), needed) == needed && out.back() == Unit('~'));
    out.pop_back();
    return out;
}

std::optional<std::u16string> ToWide(UINT page, DWORD flags, const std::string& bytes) {
    return Converted<WCHAR>([&](WCHAR* out, int room) {
        return MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), out, room);
    });
}

std::optional<std::string> ToNarrow(UINT page, DWORD flags, const std::u16string& text, BOOL* usedDefault) {
    return Converted<char>([&](char* out, int room) {
        return WideCharToMultiByte(page, flags, text.data(), static_cast<int>(text.size()), out, room,
                                   nullptr, usedDefault);
    });
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The units with every surrogate that is not half of a pair replaced by U+FFFD.
std::u16string Paired(const std::u16string& text, bool& alone) {
    std::u16string paired = text;
    alone = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool pair = IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
        if (pair) {
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            paired[i] = 0xFFFD;
            alone = true;
        }
    }
    return paired;
}

void CheckSingleByte(UINT page, const std::string& bytes) {
    auto text = ToWide(page, 0, bytes);
    FUZZ_CHECK(text && text->size() == bytes.size());
    BOOL usedDefault = TRUE;
    FUZZ_CHECK(ToNarrow(page, 0, *text, &usedDefault) == bytes && !usedDefault);
}

void CheckUtf8(const std::string& bytes) {
    auto lenient = ToWide(CP_UTF8, 0, bytes);
    FUZZ_CHECK(lenient && lenient->size() <= bytes.size());
    auto strict = ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, bytes);
    if (!strict) {
        FUZZ_CHECK(GetLastError() == ERROR_NO_UNICODE_TRANSLATION);
        return;
    }
    FUZZ_CHECK(*strict == *lenient);
    FUZZ_CHECK(ToNarrow(CP_UTF8, WC_ERR_INVALID_CHARS, *strict, nullptr) == bytes);
}

void CheckUtf16(const std::u16string& text) {
    bool alone = false;
    std::u16string paired = Paired(text, alone);
    auto strict = ToNarrow(CP_UTF8, WC_ERR_INVALID_CHARS, text, nullptr);
    FUZZ_CHECK(strict.has_value() == !alone);
    auto lenient = ToNarrow(CP_UTF8, 0, text, nullptr);
    FUZZ_CHECK(lenient && ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, *lenient) == paired);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::string bytes = input.ConsumeRandomLengthString(size);
    std::vector<std::uint8_t> rest = input.ConsumeRemainingBytes<std::uint8_t>();
    std::u16string units;
    for (std::size_t i = 0; i + 1 < rest.size(); i += 2)
        units += static_cast<char16_t>(rest[i] | rest[i + 1] << 8);

    if (!bytes.empty()) {
        for (UINT page : Pages)
            if (page != CP_UTF8) CheckSingleByte(page, bytes);
        CheckUtf8(bytes);
    }
    if (!units.empty()) CheckUtf16(units);
    return 0;
}
