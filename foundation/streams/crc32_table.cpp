#include "foundation/streams/crc32_table.h"

namespace {

std::array<std::uint32_t, 256> crc32Table;

struct Crc32TableFiller {
    Crc32TableFiller() {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
            crc32Table[i] = c;
        }
    }
};

const Crc32TableFiller filler;

} // namespace

const std::array<std::uint32_t, 256>& Crc32Table() {
    return crc32Table;
}
