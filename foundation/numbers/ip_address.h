// Texts of IPv4 and IPv6 addresses.
#pragma once

#include <cstdint>

#include "foundation/numbers/const_data.h"

struct IpAddress {
    // 0 is IPv4; any other value is IPv6.
    std::uint8_t family = 0;
    std::uint8_t flag = 0;
    // Network byte order; an IPv4 address occupies the last four bytes.
    std::uint8_t address[16] = {};
    // The scope text, NUL-terminated when shorter than the array; empty when there is none.
    char zone[10] = {};
};

// `mode` selects the IPv6 layout, applied in full only with the ":" separator:
//   0: eight groups of four digits;
//   1: six groups without leading zeros, then the last 32 bits in dotted decimal;
//   2: eight groups without leading zeros, the longest run of zero groups written as "::";
//   3: as 2 with the dotted tail of 1;
//   others: eight groups without leading zeros.
// With another separator every non-zero mode acts as the last row. `separator` 0 selects "."
// for the IPv4 form and ":" for the IPv6 form; `zoneSeparator` 0 selects "%". The IPv4 form
// ignores the mode and the zone.
ConstData<60> FormatIpAddress(const IpAddress& address, bool forceIpv6, std::int32_t mode,
                              char separator, bool appendZone, char zoneSeparator);
