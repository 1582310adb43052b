#include "platform/win32/message_box.h"

#include <cstdio>
#include <string>

#include "platform/win32/utf.h"

namespace {

win32::MessageBoxHook messageBoxHook = nullptr;

std::string Readable(LPCWSTR text) {
    return text ? win32::PathToUtf8(text) : std::string();
}

} // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    if (messageBoxHook) return messageBoxHook(owner, text, caption, type);
    std::string line = Readable(caption) + ": " + Readable(text) + "\n";
    std::fputs(line.c_str(), stderr);
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

namespace win32 {

void SetMessageBoxHook(MessageBoxHook hook) {
    messageBoxHook = hook;
}

} // namespace win32
