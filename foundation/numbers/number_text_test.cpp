#include "foundation/numbers/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

struct NumberCase {
    std::uint64_t value;
    std::uint32_t minWidth;
    const char* text;
};

template <std::size_t N>
void ExpectText(const ConstData<N>& data, const std::string& expected) {
    EXPECT_EQ(std::string(data.View().begin(), data.Length()), expected);
    EXPECT_EQ(data.c_str()[data.Length()], '\0');
    EXPECT_EQ(data.c_str()[data.Length() + 1], '\0');
}

TEST(NumberTextTest, ToDecimal64PadsToTheMinimumWidth) {
    const NumberCase cases[] = {
        {0, 0, ""},
        {0, 1, "0"},
        {5, 3, "005"},
        {1234, 2, "1234"},
        {std::numeric_limits<std::uint64_t>::max(), 0, "18446744073709551615"},
        {1, 20, "00000000000000000001"},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        ExpectText(ToDecimal64(c.value, c.minWidth), c.text);
    }
}

TEST(NumberTextTest, ToDecimal32PadsToTheMinimumWidth) {
    const NumberCase cases[] = {
        {0, 0, ""},
        {7, 10, "0000000007"},
        {std::numeric_limits<std::uint32_t>::max(), 1, "4294967295"},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        ExpectText(ToDecimal32(std::uint32_t(c.value), c.minWidth), c.text);
    }
}

TEST(NumberTextTest, ToHex32WritesLowerCaseDigits) {
    const NumberCase cases[] = {
        {0, 0, ""},
        {0, 1, "0"},
        {255, 0, "ff"},
        {255, 4, "00ff"},
        {0xABCDEF, 1, "abcdef"},
        {0xffffffff, 0, "ffffffff"},
        {0x2a, 8, "0000002a"},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        ExpectText(ToHex32(std::uint32_t(c.value), c.minWidth), c.text);
    }
}

TEST(NumberTextTest, WidthBeyondTheCapacityIsRefused) {
    EXPECT_THROW(ToDecimal64(1, 21), ConstDataCapacityExceeded);
    EXPECT_THROW(ToDecimal64(0, 1000), ConstDataCapacityExceeded);
    EXPECT_THROW(ToDecimal32(7, 11), ConstDataCapacityExceeded);
    EXPECT_THROW(ToHex32(1, 9), ConstDataCapacityExceeded);
    EXPECT_THROW(ToHex32(1, 17), ConstDataCapacityExceeded);
}

TEST(NumberTextTest, HexDigitCoversAllSixteenValues) {
    const std::string expected = "0123456789abcdef";
    for (std::uint32_t v = 0; v < 16; ++v)
        EXPECT_EQ(HexDigit(v), expected[v]) << v;
}

} // namespace
