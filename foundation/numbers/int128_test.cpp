#include "foundation/numbers/int128.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "foundation/numbers/int128_second_unit.h"

namespace {

constexpr std::uint64_t kAllOnes = ~std::uint64_t(0);
constexpr std::uint64_t kTopBit = std::uint64_t(1) << 63;

struct ParseCase {
    std::string text;
    bool negative;
    std::uint64_t high;
    std::uint64_t low;
};

TEST(Int128Test, ParsesSignAndBothHalves) {
    const ParseCase cases[] = {
        {"", false, 0, 0},
        {"-", true, 0, 0},
        {"1", false, 0, 1},
        {"-0", true, 0, 0},
        {"FF", false, 0, 255},
        {"ff", false, 0, 255},
        {"7fffffffffffffffffffffffffffffff", false, kAllOnes >> 1, kAllOnes},
        {"-80000000000000000000000000000000", true, kTopBit, 0},
        {"123456789abcdef0fedcba9876543210", false, 0x123456789abcdef0, 0xfedcba9876543210},
        // A 33rd leading digit is dropped unread, also after the sign is taken off.
        {"1" + std::string(32, '0'), false, 0, 0},
        {"-1" + std::string(32, '0'), true, 0, 0},
        // Leading white space of a half is skipped.
        {std::string(16, '0') + std::string(14, ' ') + "ff", false, 0, 255},
        // A half that does not start with a digit reads as 0; the other half is still read.
        {"zz" + std::string(14, '0') + "00000000000000ff", false, 0, 255},
        {"00000000000000ab" + std::string("xy") + std::string(14, '1'), false, 0xab, 0},
        // Reading stops at the first character that cannot continue the number.
        {"00000000000000ab" + std::string("12zz") + std::string(12, '1'), false, 0xab, 0x12},
        // "+" is no sign: reading the low half stops at it.
        {"+1", false, 0, 0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        const Int128 value = ParseInt128Hex(c.text);
        EXPECT_EQ(value.negative, c.negative);
        EXPECT_EQ(value.high, c.high);
        EXPECT_EQ(value.low, c.low);
    }
}

TEST(UInt128Test, LeadingMinusIsDroppedWithoutEffect) {
    const ParseCase cases[] = {
        {"", false, 0, 0},
        {"-ff", false, 0, 255},
        {"-80000000000000000000000000000000", false, kTopBit, 0},
        {"ffffffffffffffffffffffffffffffff", false, kAllOnes, kAllOnes},
        {"1" + std::string(16, '0'), false, 1, 0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        const UInt128 value = ParseUInt128Hex(c.text);
        EXPECT_EQ(value.high, c.high);
        EXPECT_EQ(value.low, c.low);
    }
}

TEST(Int128LimitsTest, EveryUnitOwnsLimitsHoldingTheExtremesBeforeItsOwnObjectsAreBuilt) {
    const Int128Limits units[] = {
        {&Int128Max, &Int128Min, &UInt128Max},
        LimitsOfSecondUnit(),
        LimitsCopiedAtSecondUnitsStartUp(),
    };
    for (std::size_t i = 0; i < std::size(units); ++i) {
        SCOPED_TRACE(i);
        const Int128Limits& unit = units[i];
        EXPECT_FALSE(unit.max->negative);
        EXPECT_EQ(unit.max->high, kAllOnes >> 1);
        EXPECT_EQ(unit.max->low, kAllOnes);
        EXPECT_TRUE(unit.min->negative);
        EXPECT_EQ(unit.min->high, kTopBit);
        EXPECT_EQ(unit.min->low, 0u);
        EXPECT_EQ(unit.unsignedMax->high, kAllOnes);
        EXPECT_EQ(unit.unsignedMax->low, kAllOnes);
    }
    EXPECT_NE(units[0].max, units[1].max);
    EXPECT_NE(units[0].min, units[1].min);
    EXPECT_NE(units[0].unsignedMax, units[1].unsignedMax);
}

} // namespace
