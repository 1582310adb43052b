#pragma once
// Conversion between narrow text in a code page and UTF-16: the Cyrillic ANSI page 1251 (also
// reached as CP_ACP), the Cyrillic console page 866 (also CP_OEMCP) and UTF-8, each from our own
// tables. Results follow Win32: the count of units written (or needed, when the output size is
// 0), or 0 with the last error set.

#include "platform/win32/last_error.h"
#include "platform/win32/types.h"

using LPBOOL = BOOL*;

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_UTF8 = 65001;

// Fail on an undefined byte or an ill-formed UTF-8 sequence instead of substituting.
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
// UTF-8 only: fail on a lone surrogate instead of writing U+FFFD.
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;
// Single-byte pages only; accepted, since characters a page lacks are never approximated here.
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;

constexpr DWORD ERROR_INVALID_FLAGS = 1004;

// Input size -1: the text up to and including its NUL, which is counted in the result.
// An undefined byte of a single-byte page becomes the C1 control of the same number and an
// ill-formed UTF-8 sequence U+FFFD, unless MB_ERR_INVALID_CHARS asks for failure.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);

// A character a single-byte page lacks becomes lpDefaultChar[0] ('?' when null) and sets
// *lpUsedDefaultChar; for UTF-8 both must be null.
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar);
