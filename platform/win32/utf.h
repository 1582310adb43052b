#pragma once
// Strict UTF-8 <-> UTF-16 coding, shared by the code-page conversions and by every call that hands
// a wide path or name to the kernel.

#include <optional>
#include <string>
#include <string_view>

namespace win32 {

// Null when the input is not well-formed (a lone surrogate, an invalid or overlong UTF-8 sequence).
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);
std::optional<std::u16string> Utf8ToUtf16(std::string_view bytes);

// Lenient forms: each ill-formed sequence or unit becomes U+FFFD (in UTF-8, one per byte that
// starts no valid sequence) instead of failing the whole text.
std::u16string Utf8ToUtf16Lenient(std::string_view bytes);
std::string Utf16ToUtf8Lenient(std::u16string_view text);

// For paths and names handed to the kernel: the lenient form up to the terminating NUL.
std::string PathToUtf8(const char16_t* path);

} // namespace win32
