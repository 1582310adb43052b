#pragma once
// A growable byte block: doubles from 100 bytes so that appending byte by byte stays cheap, and
// takes its blocks through the checked allocation, so a failure is reported under its tag.

#include <cstdint>

class Buffer {
  public:
    Buffer() = default;
    ~Buffer();
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    // Takes a block of at least newSize bytes and moves the bytes in use to `offset` in it;
    // size stays. Throws std::length_error when they would not fit there.
    void ReAlloc(unsigned newSize, int offset);
    // Throws std::length_error for a negative length or a size past 32 bits.
    void Append(const char* bytes, int length);
    void Append(const std::uint8_t* bytes, unsigned length);

    std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
    std::uint32_t capacity = 0;
    const char* tag = nullptr; // null reports as "Buffer::ReAlloc"
};
