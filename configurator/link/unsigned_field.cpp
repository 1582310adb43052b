#include "configurator/link/unsigned_field.h"

std::optional<std::uint32_t> UnsignedValue(const UnicodeString& text) {
    const std::u16string& digits = text.Text();
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (char16_t unit : digits) {
        if (unit < u'0' || unit > u'9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(unit - u'0');
    }
    if (value > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}
