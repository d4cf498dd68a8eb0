#include "foundation/containers/segmented_array.h"

#include <cstddef>
#include <new>
#include <stdexcept>

namespace {

constexpr std::uint64_t kOffsetLimit = std::uint64_t{1} << 32;

// The byte offset of segment k's first byte: F * (2^k - 1).
std::uint64_t SegmentStart(std::uint32_t firstSegmentSize, std::uint32_t k) {
    return std::uint64_t{firstSegmentSize} * ((std::uint64_t{1} << k) - 1);
}

} // namespace

SegmentedArray& SegmentedArray::Initialize(std::uint32_t size, MutableByteRange firstSegment) {
    elementSize = size;
    firstSegmentSize = static_cast<std::uint32_t>(firstSegment.end() - firstSegment.begin());
    count = 0;
    segments[0] = firstSegment.begin();
    for (std::uint32_t k = 1; k < kSegmentCount; ++k)
        segments[k] = nullptr;
    return *this;
}

std::uint32_t SegmentedArray::SegmentOf(std::uint32_t byteOffset) const {
    const std::uint32_t inverted = ~(byteOffset / firstSegmentSize + 1);
    const auto byte = [inverted](int index) {
        return static_cast<std::uint8_t>(inverted >> (8 * index));
    };
    if ((inverted >> 16) == 0xFFFF) {
        if (byte(1) != 0xFF)
            return HighestZeroBitTable[byte(1)] + 8u;
        if (byte(0) != 0xFF)
            return HighestZeroBitTable[byte(0)];
        return 32;
    }
    if (byte(3) != 0xFF)
        return HighestZeroBitTable[byte(3)] + 24u;
    return HighestZeroBitTable[byte(2)] + 16u;
}

void* SegmentedArray::Append(std::uint32_t size) {
    const std::uint64_t offset = std::uint64_t{count} * size;
    if (offset + size > kOffsetLimit)
        throw std::length_error("SegmentedArray: byte offsets exhausted");
    const std::uint32_t k = SegmentOf(static_cast<std::uint32_t>(offset));
    if (k >= kSegmentCount)
        throw std::length_error("SegmentedArray: all segments in use");
    if (segments[k] == nullptr) {
        const std::size_t segmentSize = std::size_t{firstSegmentSize} << k;
        segments[k] = static_cast<unsigned char*>(::operator new(segmentSize));
    }
    ++count;
    return segments[k] + (offset - SegmentStart(firstSegmentSize, k));
}

void* SegmentedArray::At(std::uint32_t index) const {
    const std::uint32_t offset = index * elementSize;
    const std::uint32_t k = SegmentOf(offset);
    return segments[k] + (offset - SegmentStart(firstSegmentSize, k));
}

void SegmentedArray::Shrink(std::uint32_t n) {
    if (n > count)
        return;
    count -= n;
    const std::uint64_t used = std::uint64_t{count} * elementSize;
    // Twice as many bytes would not be a 32-bit offset.
    if (used > 0x7FFFFFFF)
        return;
    const std::uint32_t keep = SegmentOf(static_cast<std::uint32_t>(2 * used));
    for (std::uint32_t k = keep + 1; k < kSegmentCount && segments[k] != nullptr; ++k) {
        ::operator delete(segments[k]);
        segments[k] = nullptr;
    }
}

void SegmentedArray::FreeSegments() {
    for (std::uint32_t k = 1; k < kSegmentCount; ++k) {
        if (segments[k] != nullptr)
            ::operator delete(segments[k]);
    }
}
