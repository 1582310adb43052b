#include "platform/win32/files.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/win32/last_error.h"
#include "platform/win32/port_names.h"
#include "platform/win32/utf.h"

namespace win32 {
namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr long long UnixEpochIn1601Seconds = 11644473600LL;

class DiskFile : public IoObject {
  public:
    explicit DiskFile(int fd) : fd(fd) {}

    BOOL Read(void* buffer, DWORD size, DWORD* done) override {
        auto* bytes = static_cast<char*>(buffer);
        while (*done < size) {
            ssize_t got = ::read(fd, bytes + *done, size - *done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return FailWithErrno();
            if (got == 0) break; // end of file: success with fewer bytes
            *done += static_cast<DWORD>(got);
        }
        return TRUE;
    }

    BOOL Write(const void* buffer, DWORD size, DWORD* done) override {
        auto* bytes = static_cast<const char*>(buffer);
        while (*done < size) {
            ssize_t put = ::write(fd, bytes + *done, size - *done);
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) return FailWithErrno();
            *done += static_cast<DWORD>(put);
        }
        return TRUE;
    }

    BOOL Close() override { return ::close(fd) == 0 ? TRUE : FailWithErrno(); }

    bool Stat(struct stat& info) const { return ::fstat(fd, &info) == 0 || (FailWithErrno(), false); }

  private:
    int fd;
};

int OpenFlags(DWORD access, DWORD creation) {
    int flags = O_CLOEXEC;
    bool reads = access & GENERIC_READ, writes = access & GENERIC_WRITE;
    flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    switch (creation) {
    case CREATE_NEW:
        return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
        return flags | O_CREAT | O_TRUNC;
    case OPEN_EXISTING:
        return flags;
    case OPEN_ALWAYS:
        return flags | O_CREAT;
    case TRUNCATE_EXISTING:
        return flags | O_TRUNC;
    default:
        return -1;
    }
}

DWORD ErrnoToFileError(int error) {
    return error == ENOENT ? ERROR_FILE_NOT_FOUND : static_cast<DWORD>(error);
}

} // namespace

HANDLE OpenDiskFile(LPCWSTR name, DWORD access, DWORD creation) {
    int flags = OpenFlags(access, creation);
    if (!name || flags < 0) {
        FailWith(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    int fd = ::open(PathToUtf8(name).c_str(), flags, 0666);
    if (fd < 0) {
        FailWith(ErrnoToFileError(errno));
        return INVALID_HANDLE_VALUE;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) { // Windows refuses to open folders as files
        ::close(fd);
        FailWith(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return RegisterHandle(std::make_shared<DiskFile>(fd));
}

FILETIME UnixTimeToFileTime(long long seconds, long nanoseconds) {
    unsigned long long count =
        static_cast<unsigned long long>(seconds + UnixEpochIn1601Seconds) * 10000000ULL +
        static_cast<unsigned long long>(nanoseconds / 100);
    return FILETIME{static_cast<DWORD>(count), static_cast<DWORD>(count >> 32)};
}

} // namespace win32

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD, void*, DWORD creation, DWORD, HANDLE) {
    unsigned port = 0;
    if (win32::ParseComDeviceName(name, &port)) {
        // Devices are only ever opened as they exist, as on Windows.
        if (creation != OPEN_EXISTING) {
            win32::FailWith(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        return win32::OpenComDevice(port);
    }
    // Any other name in the device namespace ("\\.\USB", "\\.\") names no device we have; it
    // must not fall through to a file of that odd name in the current folder.
    if (name && std::u16string_view(name).starts_with(u"\\\\.\\")) {
        win32::FailWith(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return win32::OpenDiskFile(name, access, creation);
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* security, DWORD creation, DWORD flags,
                   HANDLE templateFile) {
    if (!name) {
        win32::FailWith(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::u16string wide = win32::Utf8ToUtf16(name).value_or(u"");
    return CreateFileW(wide.c_str(), access, share, security, creation, flags, templateFile);
}

DWORD GetFileSize(HANDLE file, LPDWORD high) {
    auto disk = win32::LookupHandleAs<win32::DiskFile>(file);
    struct stat info {};
    if (!disk || !disk->Stat(info)) return INVALID_FILE_SIZE;
    auto size = static_cast<unsigned long long>(info.st_size);
    if (high) *high = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* access, FILETIME* lastWrite) {
    auto disk = win32::LookupHandleAs<win32::DiskFile>(file);
    struct stat info {};
    if (!disk || !disk->Stat(info)) return FALSE;
    // Linux keeps no creation time in stat; the status change time is the nearest there is.
    if (creation) *creation = win32::UnixTimeToFileTime(info.st_ctim.tv_sec, info.st_ctim.tv_nsec);
    if (access) *access = win32::UnixTimeToFileTime(info.st_atim.tv_sec, info.st_atim.tv_nsec);
    if (lastWrite) *lastWrite = win32::UnixTimeToFileTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR name) {
    if (!name) return win32::FailWith(ERROR_INVALID_PARAMETER);
    if (::unlink(win32::PathToUtf8(name).c_str()) != 0)
        return win32::FailWith(win32::ErrnoToFileError(errno));
    return TRUE;
}

namespace win32 {
namespace {
std::string& ModuleFileOverride() {
    static std::string path;
    return path;
}
} // namespace

void SetModuleFileName(const std::string& path) {
    ModuleFileOverride() = path;
}
} // namespace win32

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
    if (module) return win32::FailWith(ERROR_NOT_SUPPORTED);
    std::string path = win32::ModuleFileOverride();
    if (path.empty()) {
        char real[PATH_MAX + 1];
        ssize_t length = ::readlink("/proc/self/exe", real, PATH_MAX);
        if (length < 0) return win32::FailWithErrno();
        path.assign(real, static_cast<std::size_t>(length));
    }
    std::u16string wide = win32::Utf8ToUtf16(path).value_or(u"");
    if (size == 0) return win32::FailWith(ERROR_INSUFFICIENT_BUFFER);
    if (wide.size() >= size) {
        std::memcpy(buffer, wide.data(), (size - 1) * sizeof(WCHAR));
        buffer[size - 1] = 0;
        win32::FailWith(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(wide.size());
}
