// The CRC-32 lookup table of polynomial 0x04C11DB7, most significant bit first (the
// non-reflected table), filled during start-up.
#pragma once

#include <array>
#include <cstdint>

const std::array<std::uint32_t, 256>& Crc32Table();
