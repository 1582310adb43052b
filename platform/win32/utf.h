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

// For paths and names handed to the kernel: ill-formed units become U+FFFD instead of failing.
std::string PathToUtf8(const char16_t* path);

} // namespace win32
