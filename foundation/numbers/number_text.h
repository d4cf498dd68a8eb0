// Decimal and hexadecimal texts of unsigned values, padded with "0" to a minimum width.
#pragma once

#include <cstdint>

#include "foundation/numbers/const_data.h"

// Each throws ConstDataCapacityExceeded when the minimum width exceeds the result's capacity;
// no value alone can. A value of 0 with minimum width 0 gives the empty text.
ConstData<20> ToDecimal64(std::uint64_t value, std::uint32_t minWidth);
ConstData<10> ToDecimal32(std::uint32_t value, std::uint32_t minWidth);
// Lower-case digits.
ConstData<8> ToHex32(std::uint32_t value, std::uint32_t minWidth);

// "0"-"9", then "a"-"f"; `value` must be 0-15.
constexpr char HexDigit(std::uint32_t value) {
    return value < 10 ? char('0' + value) : char('a' + (value - 10));
}
