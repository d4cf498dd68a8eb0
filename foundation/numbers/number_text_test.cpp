#include "foundation/numbers/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

// The text, after checking the two NULs that follow it.
template <std::size_t N>
std::string TextOf(const ConstData<N>& data) {
    EXPECT_EQ(data.c_str()[data.Length()], '\0');
    EXPECT_EQ(data.c_str()[data.Length() + 1], '\0');
    return std::string(data.View().begin(), data.Length());
}

using NumberWriter = std::string (*)(std::uint64_t value, std::uint32_t minWidth);

std::string Decimal64(std::uint64_t value, std::uint32_t minWidth) {
    return TextOf(ToDecimal64(value, minWidth));
}
std::string Decimal32(std::uint64_t value, std::uint32_t minWidth) {
    return TextOf(ToDecimal32(std::uint32_t(value), minWidth));
}
std::string Hex32(std::uint64_t value, std::uint32_t minWidth) {
    return TextOf(ToHex32(std::uint32_t(value), minWidth));
}

struct NumberCase {
    NumberWriter write;
    std::uint64_t value;
    std::uint32_t minWidth;
    const char* text;
};

TEST(NumberTextTest, PadsToTheMinimumWidth) {
    constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();
    constexpr std::uint32_t kMax32 = std::numeric_limits<std::uint32_t>::max();
    const NumberCase cases[] = {
        {Decimal64, 0, 0, ""},
        {Decimal64, 0, 1, "0"},
        {Decimal64, 5, 3, "005"},
        {Decimal64, 1234, 2, "1234"},
        {Decimal64, kMax64, 0, "18446744073709551615"},
        {Decimal64, 1, 20, "00000000000000000001"},
        {Decimal32, 0, 0, ""},
        {Decimal32, 7, 10, "0000000007"},
        {Decimal32, kMax32, 1, "4294967295"},
        {Hex32, 0, 0, ""},
        {Hex32, 0, 1, "0"},
        {Hex32, 255, 0, "ff"},
        {Hex32, 255, 4, "00ff"},
        {Hex32, 0xABCDEF, 1, "abcdef"},
        {Hex32, kMax32, 0, "ffffffff"},
        {Hex32, 0x2a, 8, "0000002a"},
    };
    for (const NumberCase& c : cases)
        EXPECT_EQ(c.write(c.value, c.minWidth), c.text) << c.text;
}

TEST(NumberTextTest, WidthBeyondTheCapacityIsRefused) {
    const NumberCase cases[] = {
        {Decimal64, 1, 21, "ToDecimal64 21"},
        {Decimal64, 0, 1000, "ToDecimal64 1000"},
        {Decimal32, 7, 11, "ToDecimal32 11"},
        {Decimal32, 7, 21, "ToDecimal32 21"},
        {Hex32, 1, 9, "ToHex32 9"},
        {Hex32, 1, 17, "ToHex32 17"},
        {Hex32, 0, 0xFFFFFFFF, "ToHex32 2^32-1"},
    };
    for (const NumberCase& c : cases)
        EXPECT_THROW(c.write(c.value, c.minWidth), ConstDataCapacityExceeded) << c.text;
}

TEST(NumberTextTest, HexDigitCoversAllSixteenValues) {
    const std::string expected = "0123456789abcdef";
    for (std::uint32_t v = 0; v < 16; ++v)
        EXPECT_EQ(HexDigit(v), expected[v]) << v;
}

} // namespace
