#pragma once
// Modal message boxes: the system code calls MessageBoxW, but only the form layer can show one, so
// it installs its hook at start-up; a program without a window (the loaders) gets the fallback.

#include "platform/win32/types.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONSTOP = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONMASK = 0x000000F0;

constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a modal box and returns the button the user chose. Without a hook the text goes to
// standard error and the box is answered with its safe button (IDOK, or IDNO for Yes/No).
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

namespace win32 {

using MessageBoxHook = int (*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// A plain function pointer, so the hook is valid during static initialisation.
void SetMessageBoxHook(MessageBoxHook hook);

} // namespace win32
