// Constant ASCII tables shared by the text, stream and format code.
#pragma once

#include <array>
#include <cstdint>

using ByteTable = std::array<std::uint8_t, 256>;

// 256 bits; byte value v is bit v % 8 of byte v / 8, least significant bit first.
class ByteSet {
public:
    constexpr bool Contains(std::uint8_t value) const {
        return (bits_[value >> 3] >> (value & 7)) & 1;
    }
    constexpr void Add(std::uint8_t value) { bits_[value >> 3] |= std::uint8_t(1u << (value & 7)); }

private:
    std::array<std::uint8_t, 32> bits_{};
};

const ByteTable& AsciiLowerTable();
const ByteTable& AsciiUpperTable();
// TAB, LF, CR and SPACE; neither VT nor FF.
const ByteSet& AsciiWhiteSpaceSet();
// 0-9, A-Z, _ and a-z.
const ByteSet& AsciiNameCharSet();
