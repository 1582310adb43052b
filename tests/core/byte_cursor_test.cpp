#include "core/byte_cursor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Area {
    std::vector<std::uint8_t> bytes;
    std::uint8_t* position;
    explicit Area(std::vector<std::uint8_t> initial) : bytes(std::move(initial)), position(bytes.data()) {}
    unsigned Offset() const { return static_cast<unsigned>(position - bytes.data()); }
};

TEST(ByteCursor, ReadsAndWritesLittleEndian) {
    Area area({0x34, 0x12, 0x00, 0x01, 0x00, 0x00, 0xFF});
    ByteCursor cursor(&area.position, 7);
    EXPECT_EQ(cursor.ReadU16(), 0x1234);
    EXPECT_EQ(cursor.ReadU32(), 256);
    EXPECT_EQ(cursor.ReadU8(), 255);
    EXPECT_EQ(cursor.Left(), 0u);

    Area out(std::vector<std::uint8_t>(7, 0));
    ByteCursor writer(&out.position, 7);
    writer.WriteU16(0x1234);
    writer.WriteU32(0xA1B2C3D4);
    writer.WriteU8(0x5A);
    EXPECT_EQ(out.bytes, (std::vector<std::uint8_t>{0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1, 0x5A}));
}

TEST(ByteCursor, OverrunThrowsAndChangesNothing) {
    Area area({0x01});
    ByteCursor cursor(&area.position, 1);
    EXPECT_THROW(cursor.ReadU16(), int);
    EXPECT_EQ(area.Offset(), 0u);
    EXPECT_EQ(cursor.Left(), 1u);
    EXPECT_THROW(cursor.WriteText("AB", 2), int);
    EXPECT_THROW(cursor.ReadString(-1), int); // no NUL within the one byte left
    EXPECT_EQ(cursor.Left(), 1u);

    Area empty({});
    ByteCursor none(&empty.position, 0);
    EXPECT_NO_THROW(none.Skip(0));
    EXPECT_THROW(none.Skip(1), int);

    // An empty area may come as a null pointer, as a buffer that never grew hands it over.
    std::uint8_t* nowhere = nullptr;
    ByteCursor onNull(&nowhere, 0);
    EXPECT_NO_THROW(onNull.WriteText("", 0));
    EXPECT_EQ(onNull.ReadString(0), "");
    EXPECT_THROW(onNull.ReadString(-1), int);
    EXPECT_EQ(nowhere, nullptr);
}

TEST(ByteCursor, WriteTextHonoursWidth) {
    auto write = [](unsigned width) {
        Area area(std::vector<std::uint8_t>(8, '.'));
        ByteCursor cursor(&area.position, 8);
        cursor.WriteText("ABC", width);
        return std::make_pair(std::string(area.bytes.begin(), area.bytes.end()), area.Offset());
    };
    EXPECT_EQ(write(8), std::make_pair(std::string("ABC....."), 8u));
    EXPECT_EQ(write(2), std::make_pair(std::string("AB......"), 2u));
    EXPECT_EQ(write(0), std::make_pair(std::string("ABC....."), 3u));
}

TEST(ByteCursor, ReadStringStopsAtNulOrLength) {
    Area area({0x41, 0x42, 0x00, 0x43});
    ByteCursor cursor(&area.position, 4);
    EXPECT_EQ(cursor.ReadString(-1), "AB");
    EXPECT_EQ(area.Offset(), 3u);
    EXPECT_EQ(cursor.ReadString(1), "C");
}

TEST(ByteCursor, UnboundedCursorStillCountsDown) {
    Area area(std::vector<std::uint8_t>(16, 0));
    ByteCursor cursor(&area.position, 0xFFFFFFFF);
    cursor.WriteU32(7);
    cursor.Skip(3);
    EXPECT_EQ(cursor.Left(), 0xFFFFFFFFu - 7);
}

} // namespace
