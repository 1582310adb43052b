#pragma once
// The one allocation path that reports its own failure: callers never see a null block. A block is
// released with free() after UntrackAlloc.

#include <cstddef>

void* CheckedMalloc(unsigned size, const char* tag);
void* CheckedMallocImpl(unsigned size, const char* tag);
// The two points where an allocation watcher can be attached; this system records nothing.
void TrackAlloc(void* block, unsigned size, const char* tag);
void UntrackAlloc(void* block);
