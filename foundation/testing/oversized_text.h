// A range whose length exceeds what a 32-bit count holds, over one real byte: code that refuses
// such lengths must do so before it reads anything past that byte.
#pragma once

#include <cstdint>

#include "foundation/text/ustring.h"

inline UString<UTF8> TextBeyond32BitLengths(const char& first) {
    const auto end = reinterpret_cast<std::uintptr_t>(&first) + (std::uint64_t{1} << 31);
    return UString<UTF8>(&first, reinterpret_cast<const char*>(end));
}
