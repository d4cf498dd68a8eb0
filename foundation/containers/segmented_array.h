// A growable array whose elements never move once placed, so pointers to them stay valid while
// it grows. The first segment is the owner's buffer; every further segment doubles the one before.
#pragma once

#include <array>
#include <cstdint>

#include "foundation/streams/byte_range.h"

// Entry b is the position of the highest 0 bit of b; 8 for 0xFF, which has none.
inline constexpr std::array<std::uint8_t, 256> HighestZeroBitTable = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        std::uint8_t position = 8;
        for (int bit = 7; bit >= 0; --bit) {
            if ((value & (1u << bit)) == 0) {
                position = static_cast<std::uint8_t>(bit);
                break;
            }
        }
        table[value] = position;
    }
    return table;
}();

// A plain aggregate: the owner calls Initialize before use and Shrink and FreeSegments when done.
// The first segment's size must be a multiple of the element size.
struct SegmentedArray {
    static constexpr std::uint32_t kSegmentCount = 24;

    std::uint32_t elementSize;
    std::uint32_t firstSegmentSize;
    std::uint32_t count;
    unsigned char* segments[kSegmentCount];

    // Segment 0 is `firstSegment`, which the array never frees.
    SegmentedArray& Initialize(std::uint32_t elementSize, MutableByteRange firstSegment);

    // Storage for one more element; the caller constructs the element there. Throws
    // std::length_error when the element would fall beyond the last segment and std::bad_alloc
    // when its segment cannot be allocated; the array is unchanged then.
    void* Append(std::uint32_t elementSize);
    // No bounds check.
    void* At(std::uint32_t index) const;
    // floor(log2(byteOffset / F + 1)); 32 when that sum wraps to 0.
    std::uint32_t SegmentOf(std::uint32_t byteOffset) const;
    // Drops the last n elements and frees the segments beyond the one holding twice the bytes
    // that remain. An n larger than the count changes nothing.
    void Shrink(std::uint32_t n);
    // Frees every heap segment; the pointers are left as they were, for an array that is done.
    void FreeSegments();
};
