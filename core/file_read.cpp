#include "core/file_read.h"

#include <climits>
#include <memory>
#include <new>

#include "platform/win32/files.h"
#include "platform/win32/handles.h"
#include "platform/win32/last_error.h"

namespace {

HANDLE OpenForReading(const TString& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The low 32 bits of the size; 0 when it cannot be read.
DWORD SizeOf(HANDLE file) {
    DWORD size = GetFileSize(file, nullptr);
    return size == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS ? 0 : size;
}

bool StartsWith(const std::uint8_t* bytes, unsigned size, std::initializer_list<std::uint8_t> mark) {
    if (size < mark.size()) return false;
    for (std::uint8_t byte : mark)
        if (*bytes++ != byte) return false;
    return true;
}

} // namespace

bool FileExists(const TString& path, bool orUncreatable, TimeValue* lastWrite) {
    HANDLE file = OpenForReading(path);
    if (file != INVALID_HANDLE_VALUE) {
        FILETIME written{0, 0};
        if (lastWrite && GetFileTime(file, nullptr, nullptr, &written)) *lastWrite = TimeValue(written);
        CloseHandle(file);
        return true;
    }
    if (!orUncreatable) return false;
    // CREATE_NEW, not CREATE_ALWAYS: a file that exists but cannot be read must not be emptied and
    // deleted by the probe; such a name counts as taken.
    HANDLE created =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) return true;
    CloseHandle(created);
    DeleteFileW(path.c_str());
    return false;
}

std::uint8_t* ReadWholeFile(TString path, unsigned* size, unsigned reserve) {
    *size = 0;
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    DWORD length = SizeOf(file);
    // reserve + length must fit in the block's 32-bit size.
    std::uint8_t* block = length == 0 || length > UINT_MAX - reserve ? nullptr
                                                                     : new (std::nothrow)
                                                                           std::uint8_t[reserve + length];
    DWORD done = 0;
    if (block) ReadFile(file, block + reserve, length, &done, nullptr);
    CloseHandle(file);
    // A short read hands back only what arrived, never an unread tail.
    if (done == 0) {
        delete[] block;
        return nullptr;
    }
    *size = done;
    return block;
}

TString ReadTextFile(const TString& path, int codePage) {
    unsigned size = 0;
    std::unique_ptr<std::uint8_t[]> block(ReadWholeFile(path, &size, 0));
    // The conversion takes an int length, and -1 would mean "up to a NUL" the block does not have.
    if (size == 0 || size > INT_MAX) return TString();
    const std::uint8_t* bytes = block.get();
    if (codePage == CodePageUtf16 && StartsWith(bytes, size, {0xFF, 0xFE})) bytes += 2, size -= 2;
    if (codePage == CodePageUtf8 && StartsWith(bytes, size, {0xEF, 0xBB, 0xBF})) bytes += 3, size -= 3;
    return TString(reinterpret_cast<const char*>(bytes), static_cast<int>(size), codePage);
}
