#pragma once
// The two window services the system code calls through Win32 but that only the form layer can
// give: modal message boxes and pumping the GUI thread's events. The form layer installs both at
// start-up; a program without a window (the loaders, most tests) gets the fallbacks below.

#include "platform/win32/types.h"

using HWND = void*;

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONSTOP = 0x00000010;
constexpr UINT MB_TYPEMASK = 0x0000000F;

constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a modal box and returns the button the user chose. Without a hook the text goes to
// standard error and the box is answered with its safe button (IDOK, or IDNO for Yes/No).
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

namespace win32 {

using MessageBoxHook = int (*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
using MessagePumpHook = void (*)();

// Plain function pointers, so the hooks are valid during static initialisation.
void SetMessageBoxHook(MessageBoxHook hook);
void SetMessagePumpHook(MessagePumpHook hook);

// Handles the GUI thread's pending events once; does nothing without a hook.
void PumpWindowMessages();

} // namespace win32
