#pragma once
// Presence and whole-file reading of ordinary files.

#include <cstdint>

#include "core/time_value.h"
#include "core/tstring.h"

// True when the file opens for reading; then *lastWrite (when given) gets its last-write time in
// UTC. With orUncreatable, a name that neither opens nor can be created also counts as present;
// a file created to find that out is deleted again.
bool FileExists(const TString& path, bool orUncreatable = false, TimeValue* lastWrite = nullptr);

// A new block (release with delete[]) of reserve + *size bytes: the first reserve bytes are left
// for the caller, the file's bytes follow, no terminator. *size is the count of bytes actually read
// (a short read gives the shorter count). A missing, empty or unreadable file gives null and 0.
std::uint8_t* ReadWholeFile(TString path, unsigned* size, unsigned reserve);

// The file's text in the code page (1251, 65001, 1200...), without the byte-order mark of 65001
// (EF BB BF) or 1200 (FF FE). A missing or empty file gives the empty text.
TString ReadTextFile(const TString& path, int codePage);
