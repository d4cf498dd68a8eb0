#include "foundation/numbers/ip_address.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace {

IpAddress Ipv6(const std::array<std::uint16_t, 8>& groups, const char* zone = "") {
    IpAddress address;
    address.family = 23;
    for (int i = 0; i < 8; ++i) {
        address.address[2 * i] = std::uint8_t(groups[i] >> 8);
        address.address[2 * i + 1] = std::uint8_t(groups[i]);
    }
    std::memcpy(address.zone, zone, std::min(std::strlen(zone), sizeof address.zone));
    return address;
}

IpAddress Ipv4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    IpAddress address;
    address.address[12] = a;
    address.address[13] = b;
    address.address[14] = c;
    address.address[15] = d;
    return address;
}

std::string Format(const IpAddress& address, bool forceIpv6, int mode, char separator = 0,
                   bool appendZone = false, char zoneSeparator = 0) {
    const ConstData<60> text =
        FormatIpAddress(address, forceIpv6, mode, separator, appendZone, zoneSeparator);
    return std::string(text.View().begin(), text.Length());
}

struct ModeRow {
    std::array<std::uint16_t, 8> groups;
    const char* byMode[4];
};

TEST(FormatIpAddressTest, Ipv6ModesLayOutTheGroups) {
    const ModeRow rows[] = {
        {{0x2001, 0x0db8, 0, 0, 0, 0, 0, 1},
         {"2001:0db8:0000:0000:0000:0000:0000:0001", "2001:db8:0:0:0:0:0.0.0.1", "2001:db8::1",
          "2001:db8::0.0.0.1"}},
        {{0, 0, 0, 0, 0, 0xffff, 0xc000, 0x0201},
         {"0000:0000:0000:0000:0000:ffff:c000:0201", "0:0:0:0:0:ffff:192.0.2.1", "::ffff:c000:201",
          "::ffff:192.0.2.1"}},
        {{0, 0, 0, 0, 0, 0, 0, 0},
         {"0000:0000:0000:0000:0000:0000:0000:0000", "0:0:0:0:0:0:0.0.0.0", "::", "::0.0.0.0"}},
        {{1, 0, 0, 2, 0, 0, 3, 4},
         {"0001:0000:0000:0002:0000:0000:0003:0004", "1:0:0:2:0:0:0.3.0.4", "1::2:0:0:3:4",
          "1::2:0:0:0.3.0.4"}},
        {{1, 2, 3, 4, 5, 6, 7, 0},
         {"0001:0002:0003:0004:0005:0006:0007:0000", "1:2:3:4:5:6:0.7.0.0",
          "1:2:3:4:5:6:7::", "1:2:3:4:5:6:0.7.0.0"}},
    };
    for (const ModeRow& row : rows) {
        for (int mode = 0; mode < 4; ++mode) {
            SCOPED_TRACE(row.byMode[mode]);
            EXPECT_EQ(Format(Ipv6(row.groups), false, mode), row.byMode[mode]);
            EXPECT_EQ(Format(Ipv6(row.groups), false, mode, ':'), row.byMode[mode]);
        }
    }
}

TEST(FormatIpAddressTest, OtherModesAndSeparatorsOnlyDropLeadingZeros) {
    const IpAddress address = Ipv6({0x2001, 0x0db8, 0, 0, 0, 0, 0, 1});
    EXPECT_EQ(Format(address, false, 3, '-'), "2001-db8-0-0-0-0-0-1");
    EXPECT_EQ(Format(address, false, 1, '-'), "2001-db8-0-0-0-0-0-1");
    EXPECT_EQ(Format(address, false, 0, '-'), "2001-0db8-0000-0000-0000-0000-0000-0001");
    EXPECT_EQ(Format(address, false, 4), "2001:db8:0:0:0:0:0:1");
    EXPECT_EQ(Format(address, false, -1), "2001:db8:0:0:0:0:0:1");
}

TEST(FormatIpAddressTest, FirstOfTheLongestZeroRunsIsCompressed) {
    EXPECT_EQ(Format(Ipv6({1, 0, 2, 0, 0, 3, 0, 0}), false, 2), "1:0:2::3:0:0");
    EXPECT_EQ(Format(Ipv6({1, 0, 2, 3, 4, 5, 6, 7}), false, 2), "1::2:3:4:5:6:7");
    EXPECT_EQ(Format(Ipv6({0, 0, 1, 0, 0, 0, 2, 3}), false, 2), "0:0:1::2:3");
}

TEST(FormatIpAddressTest, Ipv4FormIgnoresModeAndZone) {
    IpAddress address = Ipv4(192, 0, 2, 1);
    std::strcpy(address.zone, "12");
    for (int mode = 0; mode < 4; ++mode)
        EXPECT_EQ(Format(address, false, mode, 0, true), "192.0.2.1");
    EXPECT_EQ(Format(address, false, 0, '-'), "192-0-2-1");
    EXPECT_EQ(Format(Ipv4(255, 10, 0, 100), false, 2), "255.10.0.100");
}

TEST(FormatIpAddressTest, ForcedIpv6FormOfAnIpv4Record) {
    EXPECT_EQ(Format(Ipv4(192, 0, 2, 1), true, 3), "::192.0.2.1");
    EXPECT_EQ(Format(Ipv4(192, 0, 2, 1), true, 2), "::c000:201");
}

struct ZoneCase {
    const char* zone;
    bool appendZone;
    char zoneSeparator;
    const char* text;
};

TEST(FormatIpAddressTest, ZoneIsAppendedOnRequest) {
    const ZoneCase cases[] = {
        {"12", true, 0, "fe80::1%12"},     {"12", true, '_', "fe80::1_12"},
        {"12", false, 0, "fe80::1"},       {"", true, 0, "fe80::1"},
        {"eth0", true, 0, "fe80::1%eth0"}, {"123456789", true, 0, "fe80::1%123456789"},
    };
    for (const ZoneCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Format(Ipv6({0xfe80, 0, 0, 0, 0, 0, 0, 1}, c.zone), false, 2, 0, c.appendZone,
                         c.zoneSeparator),
                  c.text);
    }
}

TEST(FormatIpAddressTest, UnterminatedZoneIsReadNoFurtherThanItsArray) {
    IpAddress address = Ipv6({0xfe80, 0, 0, 0, 0, 0, 0, 1});
    std::memcpy(address.zone, "0123456789", sizeof address.zone);
    EXPECT_EQ(Format(address, false, 2, 0, true), "fe80::1%0123456789");
}

TEST(FormatIpAddressTest, LongestTextFitsTheArea) {
    const IpAddress address =
        Ipv6({0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff}, "abcdefghi");
    const std::string text = Format(address, false, 1, 0, true);
    EXPECT_EQ(text, "ffff:ffff:ffff:ffff:ffff:ffff:255.255.255.255%abcdefghi");
    EXPECT_EQ(text.size(), 55u);
}

} // namespace
