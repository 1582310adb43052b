#include "platform/win32/folders.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>

#include "platform/win32/last_error.h"
#include "platform/win32/utf.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// mkdir of each prefix in turn; a prefix that exists already is passed over.
int MakeChain(const std::string& path) {
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        std::string prefix = path.substr(0, at);
        if (!IsFolder(prefix) && mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return errno;
    }
    if (mkdir(path.c_str(), 0777) != 0) return errno;
    return 0;
}

} // namespace

int SHCreateDirectoryExW(void*, LPCWSTR path, const void*) {
    if (!path || !*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return static_cast<int>(ERROR_PATH_NOT_FOUND);
    }
    std::string target = win32::PathToUtf8(path);
    for (char& c : target)
        if (c == '\\') c = '/';
    while (target.size() > 1 && target.back() == '/')
        target.pop_back();
    if (IsFolder(target)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return static_cast<int>(ERROR_ALREADY_EXISTS);
    }
    int error = MakeChain(target);
    if (error == 0) return ERROR_SUCCESS;
    win32::FailWithErrno(error);
    return static_cast<int>(GetLastError());
}
