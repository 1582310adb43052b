#include "core/buffer.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "core/checked_alloc.h"

Buffer::~Buffer() {
    UntrackAlloc(data);
    std::free(data);
    data = nullptr;
}

void Buffer::ReAlloc(unsigned newSize, int offset) {
    if (offset < 0 || static_cast<std::uint64_t>(offset) + size > newSize)
        throw std::length_error("Buffer::ReAlloc");
    // Doubling in 64 bits: past 2 GB the block is taken at exactly the size asked for.
    std::uint64_t grown = capacity < 100 ? 100 : capacity;
    while (grown < newSize)
        grown *= 2;
    auto newCapacity = static_cast<std::uint32_t>(grown > UINT32_MAX ? newSize : grown);
    auto* block = static_cast<std::uint8_t*>(CheckedMalloc(newCapacity, tag ? tag : "Buffer::ReAlloc"));
    if (data) {
        std::memcpy(block + offset, data, size);
        UntrackAlloc(data);
        std::free(data);
    }
    data = block;
    capacity = newCapacity;
}

void Buffer::Append(const char* bytes, int length) {
    if (length < 0) throw std::length_error("Buffer::Append");
    Append(reinterpret_cast<const std::uint8_t*>(bytes), static_cast<unsigned>(length));
}

void Buffer::Append(const std::uint8_t* bytes, unsigned length) {
    if (length > UINT32_MAX - size) throw std::length_error("Buffer::Append");
    if (capacity < size + length) ReAlloc(size + length, 0);
    if (length > 0) std::memcpy(data + size, bytes, length);
    size += length;
}
