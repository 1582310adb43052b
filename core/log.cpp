#include "core/log.h"

#include "core/time_value.h"
#include "platform/win32/last_error.h"

namespace {

std::string Stamp() {
    return FormatFileTime(NowLocal(TimeValue(0, 0)), nullptr, 4);
}

} // namespace

void FileLogBase::WriteLine(const std::string& text) {
    std::string line = Stamp() + " ";
    CRITICAL_SECTION* lock = GetLock();
    FILE* file = GetFile();
    if (!file) return;
    if (lock) EnterCriticalSection(lock);
    AppendPrefix(line);
    line += text;
    line += '\n';
    std::fprintf(file, "%s", line.c_str()); // a '%' in the text stays literal
    std::fflush(file);
    if (lock) LeaveCriticalSection(lock);
}

void FileLogBase::Log(const TString& text) {
    WriteLine(text.ToStdString(CodePageCyrillic));
}

void FileLogBase::Log(const TString& key, const TString& value) {
    Log(key + ":\t" + value);
}

void FileLogBase::LogBytes(const TString& label, const std::uint8_t* bytes, std::int32_t count) {
    std::string line = label.ToStdString(CodePageCyrillic) + ":\t";
    for (std::int32_t i = 0; i < count; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", static_cast<unsigned>(bytes[i]));
        line += hex;
    }
    WriteLine(line);
}

void FileLogBase::LogError(const TString& text) {
    // Read first: building the message may set another error.
    DWORD error = GetLastError();
    Log(AppendNumber("Error: " + text + " - ", error));
}

TString AppendNumber(const TString& text, std::uint32_t n) {
    return text + TString(static_cast<unsigned>(n));
}
