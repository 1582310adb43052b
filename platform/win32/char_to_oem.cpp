#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/win32/codepages.h"
#include "platform/win32/console.h"

namespace win32 {

namespace {

// "ru_RU.CP866@euro" -> "CP866"; empty without a codeset.
std::string_view CodesetOf(std::string_view locale) {
    auto dot = locale.find('.');
    if (dot == std::string_view::npos) return {};
    auto codeset = locale.substr(dot + 1);
    return codeset.substr(0, codeset.find('@'));
}

bool NamesCp866(std::string_view codeset) {
    for (std::string_view name : {"CP866", "cp866", "IBM866", "ibm866", "866"})
        if (codeset == name) return true;
    return false;
}

} // namespace

ConsoleCharset ConsoleCharsetFromEnvironment() {
    // The first of these that is set and not empty decides, as it does for setlocale.
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        // Only an explicit 866 locale gets 866; every other terminal of today reads UTF-8.
        return NamesCp866(CodesetOf(value)) ? ConsoleCharset::Cp866 : ConsoleCharset::Utf8;
    }
    return ConsoleCharset::Utf8;
}

} // namespace win32

BOOL CharToOemA(LPCSTR source, LPSTR destination) {
    if (!source || !destination) return win32::FailWith(ERROR_INVALID_PARAMETER);
    int wideCount = MultiByteToWideChar(1251, 0, source, -1, nullptr, 0);
    if (wideCount <= 0) return FALSE;
    // Converting through a copy lets source and destination be the same buffer, as Windows allows.
    std::vector<WCHAR> wide(static_cast<size_t>(wideCount));
    MultiByteToWideChar(1251, 0, source, -1, wide.data(), wideCount);
    UINT target = win32::ConsoleCharsetFromEnvironment() == win32::ConsoleCharset::Cp866 ? 866 : CP_UTF8;
    int narrowCount = WideCharToMultiByte(target, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    if (narrowCount <= 0) return FALSE;
    return WideCharToMultiByte(target, 0, wide.data(), -1, destination, narrowCount, nullptr, nullptr) > 0;
}
