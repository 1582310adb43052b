#include "core/module_path.h"

#include "platform/win32/files.h"

TString GetModulePath(bool folderOnly) {
    WCHAR buffer[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    TString path(buffer);
    TString::size_type separator = path.find_last_of(u"/\\");
    // Without a separator the whole text is the file name and there is no folder.
    if (separator == TString::npos) return folderOnly ? TString() : path;
    return folderOnly ? TString(path.substr(0, separator)) : TString(path.substr(separator + 1));
}
