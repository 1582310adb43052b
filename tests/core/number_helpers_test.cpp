#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "core/group_thousands.h"
#include "core/guid.h"
#include "core/rounding.h"

namespace {

TEST(Rounding, HalvesMoveAwayFromZero) {
    const std::pair<double, int> rows[] = {
        {2.5, 3},
        {-2.5, -3},
        {2.4999, 2},
        {-2.4999, -2},
        {0.0, 0},
        {-0.4, 0},
        {0.5, 1},
        {-0.5, -1},
        {2147483646.6, 2147483647},
        {-2147483647.7, -2147483648},
    };
    for (auto [x, rounded] : rows)
        EXPECT_EQ(RoundHalfAway(x), rounded) << x;
    // Outside the int range the result is a defined value, not undefined behaviour.
    for (double x : {3e9, -3e9, std::numeric_limits<double>::quiet_NaN(), HUGE_VAL})
        EXPECT_EQ(RoundHalfAway(x), INT32_MIN) << x;
}

TEST(Rounding, ToDecimalsGivesTheNearestDouble) {
    struct Row {
        double (*round)(double);
        double x;
        double expected;
    };
    const Row rows[] = {
        {RoundTo2, 2.675, 2.68}, // 2.675 x 100 is the double 267.5 before rounding
        {RoundTo1, -0.05, -0.1},
        {RoundTo3, 0.0005, 0.001},
        {RoundTo2, 2.8125, 2.81},
        {RoundTo1, 0.3, 0.3}, // 3 x 0.1 in double precision would be 0.30000000000000004
        {RoundTo2, 0.07, 0.07},
        {RoundTo3, 1.0015, 1.002},
        {RoundTo1, 3e8, 3e8},                   // above the threshold: unchanged
        {RoundTo1, 214748364.26, 214748364.26}, // just above: unchanged
        {RoundTo1, 214748364.0, 214748364.0},   // equal: still rounded
        {RoundTo2, 21474836.5, 21474836.5},     // above: RoundTo1, which keeps .5
        {RoundTo2, 30000000.123, 30000000.1},   // above: RoundTo1
        {RoundTo3, 3000000.1234, 3000000.12},   // above: RoundTo2
        {RoundTo3, -3000000.1256, -3000000.13},
        {RoundTo3, 2147483.0004, 2147483.0}, // below the strict limit after truncation
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.round(row.x), row.expected) << row.x;

    // Every value of three decimals comes back as the double nearest it.
    for (int k = -20000; k <= 20000; ++k) {
        double value = k / 1000.0;
        ASSERT_EQ(RoundTo3(value), value) << k;
    }
}

TEST(GroupThousands, BlanksBeforeEachGroupOfThree) {
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        {u"", u""},
        {u"1", u"1"},
        {u"123", u"123"},
        {u"1234", u"1 234"},
        {u"123456", u"123 456"},
        {u"1234567", u"1 234 567"},
        {u"12345678", u"12 345 678"},
        {u"abcd", u"a bcd"}, // counts characters, not digits
    };
    for (auto [in, out] : rows)
        EXPECT_EQ(GroupThousands(TString(in)), TString(out));
}

TEST(StringToGuid, ReadsFieldsByPosition) {
    for (const char16_t* text :
         {u"{4d36e978-e325-11ce-bfc1-08002be10318}", u"{4D36E978-E325-11CE-BFC1-08002BE10318}",
          u"(4d36e978_e325_11ce_bfc1_08002be10318)"}) {
        GUID guid{};
        StringToGuid(&guid, TString(text));
        EXPECT_EQ(guid.Data1, 0x4d36e978u);
        EXPECT_EQ(guid.Data2, 0xe325u);
        EXPECT_EQ(guid.Data3, 0x11ceu);
        const BYTE tail[8] = {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18};
        EXPECT_EQ(0, std::memcmp(guid.Data4, tail, 8));
    }
    GUID guid{};
    EXPECT_THROW(StringToGuid(&guid, TString(u"{4d36e978}")), std::out_of_range);
}

} // namespace
