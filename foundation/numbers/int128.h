// 128-bit integers read from hexadecimal text; they carry no arithmetic.
#pragma once

#include <cstdint>
#include <string>

// Sign and magnitude, so the magnitude spans the full 128 bits and a zero may be negative.
struct Int128 {
    bool negative = false;
    std::uint64_t high = 0;
    std::uint64_t low = 0;
};

struct UInt128 {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
};

// The last 32 characters are read, as two 16-digit halves, after an optional leading "-" is
// taken off (it sets `negative`); shorter texts count as padded with leading "0"s. Nothing is
// reported: a half that is not hexadecimal yields what stream extraction makes of it.
Int128 ParseInt128Hex(const std::string& text);
// As ParseInt128Hex, except that a leading "-" is dropped without effect.
UInt128 ParseUInt128Hex(const std::string& text);

// The limits, owned by every unit that includes this header and built by its start-up from their
// texts; they stay zero until then.
const Int128 Int128Max = ParseInt128Hex("7fffffffffffffffffffffffffffffff");
const Int128 Int128Min = ParseInt128Hex("-80000000000000000000000000000000");
const UInt128 UInt128Max = ParseUInt128Hex("ffffffffffffffffffffffffffffffff");
