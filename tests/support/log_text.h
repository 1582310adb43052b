#pragma once
// The lines of "log.txt" without their time stamps, for tests that check what was logged.

#include <regex>
#include <string>
#include <vector>

namespace testing_support {

// Each line without the stamp and the blank after it. A line without a stamp is kept whole with
// "NO STAMP: " in front, and a last line without its line end with "UNTERMINATED: ", so a malformed
// line fails the comparison instead of vanishing.
inline std::vector<std::string> LogTexts(const std::string& text) {
    static const std::regex stamped(R"(\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d\.\d{3} ([^]*))");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        std::smatch match;
        lines.push_back(std::regex_match(line, match, stamped) ? match[1].str() : "NO STAMP: " + line);
    }
    if (start != text.size()) lines.push_back("UNTERMINATED: " + text.substr(start));
    return lines;
}

// True for a figure grouped in thousands: "7", "12 345", "1 234 567".
inline bool IsGroupedFigure(const std::string& text) {
    static const std::regex grouped(R"(\d{1,3}( \d{3})*)");
    return std::regex_match(text, grouped);
}

} // namespace testing_support
