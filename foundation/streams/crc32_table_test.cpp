#include "foundation/streams/crc32_table.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

TEST(Crc32TableTest, HoldsTheMostSignificantBitFirstTable) {
    const struct {
        int index;
        std::uint32_t entry;
    } cases[] = {
        {0, 0x00000000}, {1, 0x04C11DB7}, {2, 0x09823B6E}, {128, 0x690CE0EE}, {255, 0xB1F740B4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Crc32Table()[c.index], c.entry) << c.index;
}

// CRC-32/MPEG-2 of "123456789" is 0x0376E6E7; it needs every entry the nine bytes reach.
TEST(Crc32TableTest, DrivesAKnownChecksum) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (unsigned char byte : std::string_view("123456789"))
        crc = (crc << 8) ^ Crc32Table()[(crc >> 24) ^ byte];
    EXPECT_EQ(crc, 0x0376E6E7u);
}

} // namespace
