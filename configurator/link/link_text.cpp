#include "configurator/link/link_text.h"

#include <algorithm>
#include <climits>

#include "configurator/link/rsport.h"

TString MakeKlineCommand(const RSport& link, char letter) {
    return TString(" #") + TString(letter) + TString(static_cast<unsigned>(link.sensorNumber));
}

TString AppendNumber(const TString& text, std::int32_t number) {
    return text + TString(static_cast<int>(number));
}

namespace {

bool IsCBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// atol's reading with a 32-bit long: digits beyond the range stay at its end.
std::int32_t LeadingNumber(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && IsCBlank(text[at]))
        ++at;
    bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    const long long limit = negative ? -static_cast<long long>(INT32_MIN) : INT32_MAX;
    long long magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        magnitude = std::min(limit, magnitude * 10 + (text[at] - '0'));
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

} // namespace

std::int32_t TakeLeadingNumber(std::string& text) {
    std::int32_t number = LeadingNumber(text);
    std::size_t blank = text.find(' ');
    if (blank != std::string::npos) text.erase(0, blank + 1);
    return number;
}
