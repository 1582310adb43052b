#pragma once
// Creating folders, as the shell's call does: the whole chain of missing parents at once.

#include "platform/win32/types.h"

// Creates the folder and every missing folder above it; '\' and '/' both separate. Returns 0
// (ERROR_SUCCESS) when the folder was made, 183 (ERROR_ALREADY_EXISTS) when it was already there,
// otherwise a Win32 error number (also set as the last error). Window and security are ignored.
int SHCreateDirectoryExW(void* window, LPCWSTR path, const void* security);
