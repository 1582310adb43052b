#pragma once
// References for what the configurator writes into its status records: glibc's tables for code
// page 1251 and the real-time clock the records' stamps are read from.

#include <iconv.h>

#include <ctime>
#include <string>

namespace testing_support {

inline std::string Cp1251(std::string utf8) {
    iconv_t handle = iconv_open("CP1251", "UTF-8");
    std::string out(utf8.size(), '\0');
    char* in = utf8.data();
    char* at = out.data();
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    iconv(handle, &in, &inLeft, &at, &outLeft);
    iconv_close(handle);
    out.resize(out.size() - outLeft);
    return out;
}

// The local time now as a record's stamp shows it (time() may lag the real-time clock by a tick).
inline std::string LocalStamp() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y.%m.%d %H:%M:%S", &local);
    return text;
}

} // namespace testing_support
