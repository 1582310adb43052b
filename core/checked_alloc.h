#pragma once
// The one allocation path that reports its own failure: callers never see a null block. A block is
// released with free() after UntrackAlloc.

#include <cstddef>

void* CheckedMalloc(unsigned size, const char* tag);
// On failure logs what was asked for and what memory is left, then raises the exception report,
// which throws an int 0.
void* CheckedMallocImpl(unsigned size, const char* tag);
// The two points where an allocation watcher can be attached; this system records nothing.
void TrackAlloc(void* block, unsigned size, const char* tag);
void UntrackAlloc(void* block);

// The allocator behind CheckedMallocImpl: malloc. Tests replace it to make an allocation fail.
using BlockAllocator = void* (*)(std::size_t size);
extern BlockAllocator CheckedAllocator;
