#include "platform/win32/codepages.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "platform/win32/single_byte_pages.h"
#include "platform/win32/utf.h"

namespace {

using win32::SingleBytePage;

UINT Resolve(UINT codePage) {
    if (codePage == CP_ACP) return 1251;
    if (codePage == CP_OEMCP) return 866;
    return codePage;
}

bool DecodeUtf8(std::string_view bytes, bool strict, std::u16string& out) {
    if (auto decoded = win32::Utf8ToUtf16(bytes)) {
        out = std::move(*decoded);
        return true;
    }
    if (strict) return false;
    out = win32::Utf8ToUtf16Lenient(bytes);
    return true;
}

bool DecodeSingleByte(const SingleBytePage& page, std::string_view bytes, bool strict, std::u16string& out) {
    out.reserve(bytes.size());
    for (char byte : bytes) {
        auto value = static_cast<unsigned char>(byte);
        WCHAR character = value < 0x80 ? value : page.upperHalf[value - 0x80];
        if (character == win32::UndefinedByte) {
            if (strict) return false;
            character = value;
        }
        out += character;
    }
    return true;
}

bool EncodeUtf8(std::u16string_view text, bool strict, std::string& out) {
    if (auto encoded = win32::Utf16ToUtf8(text)) {
        out = std::move(*encoded);
        return true;
    }
    if (strict) return false;
    out = win32::Utf16ToUtf8Lenient(text);
    return true;
}

std::string EncodeSingleByte(const SingleBytePage& page, std::u16string_view text, char defaultChar,
                             bool& usedDefault) {
    std::string out;
    out.reserve(text.size());
    for (WCHAR character : text) {
        int byte = win32::EncodeSingleByte(page, character);
        if (byte < 0) usedDefault = true;
        out += byte < 0 ? defaultChar : static_cast<char>(byte);
    }
    return out;
}

// Copies a converted text to the caller's output, or only reports its size when outputSize is 0.
template <class Unit> int Deliver(const std::basic_string<Unit>& converted, Unit* output, int outputSize) {
    if (converted.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return win32::FailWith(ERROR_INSUFFICIENT_BUFFER);
    int count = static_cast<int>(converted.size());
    if (outputSize == 0) return count;
    if (count > outputSize) return win32::FailWith(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(output, converted.data(), converted.size() * sizeof(Unit));
    return count;
}

bool ValidSizes(const void* input, int inputSize, const void* output, int outputSize) {
    return input && inputSize != 0 && inputSize >= -1 && outputSize >= 0 && (outputSize == 0 || output);
}

} // namespace

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
    if (!ValidSizes(lpMultiByteStr, cbMultiByte, lpWideCharStr, cchWideChar))
        return win32::FailWith(ERROR_INVALID_PARAMETER);
    UINT page = Resolve(CodePage);
    const SingleBytePage* singleByte = win32::FindSingleBytePage(page);
    if (!singleByte && page != CP_UTF8) return win32::FailWith(ERROR_INVALID_PARAMETER);
    if (dwFlags & ~MB_ERR_INVALID_CHARS) return win32::FailWith(ERROR_INVALID_FLAGS);

    std::size_t length =
        cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
    std::string_view bytes(lpMultiByteStr, length);
    bool strict = dwFlags & MB_ERR_INVALID_CHARS;
    std::u16string text;
    bool converted =
        singleByte ? DecodeSingleByte(*singleByte, bytes, strict, text) : DecodeUtf8(bytes, strict, text);
    if (!converted) return win32::FailWith(ERROR_NO_UNICODE_TRANSLATION);
    return Deliver(text, lpWideCharStr, cchWideChar);
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar) {
    if (!ValidSizes(lpWideCharStr, cchWideChar, lpMultiByteStr, cbMultiByte))
        return win32::FailWith(ERROR_INVALID_PARAMETER);
    UINT page = Resolve(CodePage);
    const SingleBytePage* singleByte = win32::FindSingleBytePage(page);
    if (!singleByte && page != CP_UTF8) return win32::FailWith(ERROR_INVALID_PARAMETER);
    DWORD allowed = singleByte ? WC_NO_BEST_FIT_CHARS : WC_ERR_INVALID_CHARS;
    if (dwFlags & ~allowed) return win32::FailWith(ERROR_INVALID_FLAGS);
    if (!singleByte && (lpDefaultChar || lpUsedDefaultChar)) return win32::FailWith(ERROR_INVALID_PARAMETER);

    std::size_t length = cchWideChar == -1 ? std::char_traits<WCHAR>::length(lpWideCharStr) + 1
                                           : static_cast<std::size_t>(cchWideChar);
    std::u16string_view text(lpWideCharStr, length);
    std::string bytes;
    if (singleByte) {
        bool usedDefault = false;
        bytes = EncodeSingleByte(*singleByte, text, lpDefaultChar ? *lpDefaultChar : '?', usedDefault);
        if (lpUsedDefaultChar) *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
    } else if (!EncodeUtf8(text, dwFlags & WC_ERR_INVALID_CHARS, bytes)) {
        return win32::FailWith(ERROR_NO_UNICODE_TRANSLATION);
    }
    return Deliver(bytes, lpMultiByteStr, cbMultiByte);
}
