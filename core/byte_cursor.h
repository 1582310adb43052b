#pragma once
// Walks a byte area that belongs to the caller, writing and reading little-endian packet fields in
// place. The position is the caller's own pointer, advanced in place; a step past the end throws
// an int 0 and changes nothing. Bytes left of 0xFFFFFFFF stands for an area of unstated end.

#include <cstdint>
#include <string>

class ByteCursor {
  public:
    ByteCursor(std::uint8_t** position, std::uint32_t left) : position(position), left(left) {}

    int ReadLE(unsigned n);
    int ReadU8() { return ReadLE(1); }
    int ReadU16() { return ReadLE(2); }
    int ReadU32() { return ReadLE(4); }

    void WriteLE(const void* value, unsigned n);
    void WriteU8(std::uint8_t value) { WriteLE(&value, 1); }
    void WriteU16(std::uint16_t value) { WriteLE(&value, 2); }
    void WriteU32(std::uint32_t value) { WriteLE(&value, 4); }

    // Writes min(strlen(text), width) bytes and advances by width (width 0: the text's length).
    void WriteText(const char* text, unsigned width);
    void WriteBytes(const void* bytes, unsigned n);
    void Skip(unsigned n);
    unsigned Left() const { return left; }
    // length -1: up to the next NUL within the bytes left; the NUL is consumed but not returned.
    std::string ReadString(int length);

  private:
    // Throws the overrun (int 0) unless `count` bytes are left; then advances past them and
    // returns where they start.
    std::uint8_t* Take(std::uint32_t count);

    std::uint8_t** position;
    std::uint32_t left;
};
