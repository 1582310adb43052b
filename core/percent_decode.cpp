#include <string>

#include "core/buffer.h"
#include "core/tstring.h"

int HexDigitValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    return -1;
}

void TString::PercentDecode(const std::string& bytes) {
    Buffer decoded;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        int high = i + 2 < bytes.size() && bytes[i] == '%' ? HexDigitValue(bytes[i + 1]) : -1;
        int low = high >= 0 ? HexDigitValue(bytes[i + 2]) : -1;
        // A '%' without two hexadecimal digits behind it is kept as it stands.
        if (low < 0) {
            decoded.Append(&bytes[i], 1);
            continue;
        }
        auto byte = static_cast<std::uint8_t>(high * 16 + low);
        decoded.Append(&byte, 1);
        i += 2;
    }
    AssignMultiByte(reinterpret_cast<const char*>(decoded.data), static_cast<int>(decoded.size),
                    CodePageUtf8);
}
