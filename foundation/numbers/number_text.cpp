#include "foundation/numbers/number_text.h"

#include <cstddef>

namespace {

// Digits are written from the least significant end into a buffer of exactly `Capacity`
// characters, so a minimum width beyond it is refused before anything is written past it.
template <std::size_t Capacity>
ConstData<Capacity> Digits(std::uint64_t value, std::uint32_t minWidth, std::uint32_t base) {
    char buffer[Capacity];
    char* first = buffer + Capacity;
    std::uint32_t produced = 0;
    while (value != 0 || produced < minWidth) {
        if (first == buffer)
            throw ConstDataCapacityExceeded();
        *--first = HexDigit(std::uint32_t(value % base));
        value /= base;
        ++produced;
    }
    return ConstData<Capacity>(UString<UTF8>(first, buffer + Capacity));
}

} // namespace

ConstData<20> ToDecimal64(std::uint64_t value, std::uint32_t minWidth) {
    return Digits<20>(value, minWidth, 10);
}

ConstData<10> ToDecimal32(std::uint32_t value, std::uint32_t minWidth) {
    return ConstData<10>(ToDecimal64(value, minWidth).View());
}

ConstData<8> ToHex32(std::uint32_t value, std::uint32_t minWidth) {
    return ConstData<8>(Digits<16>(value, minWidth, 16).View());
}
