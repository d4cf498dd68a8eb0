#include "foundation/containers/segmented_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

TEST(HighestZeroBitTableTest, GivesTheHighestZeroBitOfEachRange) {
    struct Range {
        unsigned first;
        unsigned last;
        std::uint8_t position;
    };
    const std::vector<Range> ranges = {
        {0x00, 0x7F, 7}, {0x80, 0xBF, 6}, {0xC0, 0xDF, 5}, {0xE0, 0xEF, 4}, {0xF0, 0xF7, 3},
        {0xF8, 0xFB, 2}, {0xFC, 0xFD, 1}, {0xFE, 0xFE, 0}, {0xFF, 0xFF, 8},
    };
    for (const Range& range : ranges) {
        for (unsigned byte = range.first; byte <= range.last; ++byte)
            EXPECT_EQ(HighestZeroBitTable[byte], range.position) << byte;
    }
}

TEST(SegmentedArrayTest, SegmentOfIsTheFloorOfLog2OfOffsetOverFirstSizePlusOne) {
    struct Case {
        std::uint32_t firstSegmentSize;
        std::uint32_t offset;
        std::uint32_t segment;
    };
    const std::vector<Case> cases = {
        {40, 0, 0},
        {40, 39, 0},
        {40, 40, 1},
        {40, 119, 1},
        {40, 120, 2},
        {40, 279, 2},
        {40, 280, 3},
        {40, 599, 3},
        {40, 600, 4},
        // Where q + 1 crosses into the upper 16 bits.
        {40, 65534 * 40 + 39, 15},
        {40, 65535 * 40, 16},
        {40, 671088599, 23},
        {40, 671088600, 24},
        {40, 0xFFFFFFFF, 26},
        {1, 0x7FFFFFFF, 31},
        {1, 0xFFFFFFFE, 31},
        // q + 1 wraps to 0.
        {1, 0xFFFFFFFF, 32},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> first(c.firstSegmentSize);
        SegmentedArray array;
        array.Initialize(1, MutableByteRange(first.data(), first.size()));
        EXPECT_EQ(array.SegmentOf(c.offset), c.segment) << c.firstSegmentSize << " " << c.offset;
    }
}

// Eight-byte elements over a five-element first segment, as the thread lists use.
class PointerSizedArrayTest : public ::testing::Test {
protected:
    void SetUp() override { array_.Initialize(8, MutableByteRange(first_, sizeof(first_))); }
    void TearDown() override { array_.FreeSegments(); }

    void AppendNumbered(std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t value = array_.count;
            std::memcpy(array_.Append(8), &value, 8);
        }
    }
    std::uint64_t Value(std::uint32_t index) const {
        std::uint64_t value;
        std::memcpy(&value, array_.At(index), 8);
        return value;
    }
    std::vector<std::uint32_t> HeapSegments() const {
        std::vector<std::uint32_t> present;
        for (std::uint32_t k = 1; k < SegmentedArray::kSegmentCount; ++k) {
            if (array_.segments[k] != nullptr)
                present.push_back(k);
        }
        return present;
    }

    alignas(8) unsigned char first_[40];
    SegmentedArray array_;
};

TEST_F(PointerSizedArrayTest, InitializeTakesTheOwnersBufferAsSegmentZero) {
    EXPECT_EQ(array_.elementSize, 8u);
    EXPECT_EQ(array_.firstSegmentSize, 40u);
    EXPECT_EQ(array_.count, 0u);
    EXPECT_EQ(array_.segments[0], first_);
    EXPECT_EQ(HeapSegments(), std::vector<std::uint32_t>{});
}

TEST_F(PointerSizedArrayTest, EachSegmentIsAllocatedByTheAppendOfItsFirstElement) {
    struct Case {
        std::uint32_t index;
        std::uint32_t segment;
        std::uint32_t offsetInSegment;
    };
    // Segment k starts at index 5 * (2^k - 1).
    const std::vector<Case> cases = {
        {0, 0, 0}, {4, 0, 32}, {5, 1, 0}, {14, 1, 72}, {15, 2, 0}, {34, 2, 152}, {35, 3, 0},
    };
    std::uint32_t appended = 0;
    for (const Case& c : cases) {
        AppendNumbered(c.index - appended);
        appended = c.index;
        const bool firstOfSegment = c.offsetInSegment == 0 && c.segment > 0;
        EXPECT_EQ(array_.segments[c.segment] == nullptr, firstOfSegment) << c.index;
        void* const element = array_.Append(8);
        ++appended;
        EXPECT_EQ(element, array_.segments[c.segment] + c.offsetInSegment) << c.index;
        EXPECT_EQ(array_.At(c.index), element) << c.index;
        EXPECT_EQ(array_.count, appended);
        const std::uint64_t value = c.index;
        std::memcpy(element, &value, 8);
    }
    AppendNumbered(100);
    for (std::uint32_t i = 0; i < array_.count; ++i)
        ASSERT_EQ(Value(i), i);
}

TEST_F(PointerSizedArrayTest, ElementsNeverMoveWhileTheArrayGrows) {
    AppendNumbered(5);
    void* const last = array_.At(4);
    AppendNumbered(200);
    EXPECT_EQ(array_.At(4), last);
    EXPECT_EQ(Value(4), 4u);
}

TEST_F(PointerSizedArrayTest, ShrinkKeepsTheSegmentsUpToTheOneHoldingTwiceTheRemainingBytes) {
    struct Case {
        std::uint32_t shrinkBy;
        std::uint32_t countAfter;
        std::vector<std::uint32_t> segmentsAfter;
    };
    // Each case starts from 40 elements, which fill segments 0 to 3.
    const std::vector<Case> cases = {
        {0, 40, {1, 2, 3}}, {30, 10, {1, 2}}, {33, 7, {1}},        {37, 3, {1}},
        {38, 2, {}},        {40, 0, {}},      {41, 40, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        AppendNumbered(40 - array_.count);
        ASSERT_EQ(HeapSegments(), (std::vector<std::uint32_t>{1, 2, 3}));
        array_.Shrink(c.shrinkBy);
        EXPECT_EQ(array_.count, c.countAfter) << c.shrinkBy;
        EXPECT_EQ(HeapSegments(), c.segmentsAfter) << c.shrinkBy;
        for (std::uint32_t i = 0; i < array_.count; ++i)
            ASSERT_EQ(Value(i), i) << c.shrinkBy;
    }
}

TEST(SegmentedArrayLimitTest, AppendBeyondTheLastSegmentFailsWithoutChangingTheArray) {
    // One-byte elements reach the end of segment 23 after 2^24 - 1 appends.
    unsigned char first[1];
    SegmentedArray array;
    array.Initialize(1, MutableByteRange(first, 1));
    constexpr std::uint32_t kCapacity = (1u << 24) - 1;
    for (std::uint32_t i = 0; i < kCapacity; ++i)
        *static_cast<unsigned char*>(array.Append(1)) = static_cast<unsigned char>(i);
    EXPECT_EQ(array.At(kCapacity - 1), array.segments[23] + (1u << 23) - 1);
    EXPECT_THROW(array.Append(1), std::length_error);
    EXPECT_EQ(array.count, kCapacity);
    EXPECT_EQ(*static_cast<unsigned char*>(array.At(kCapacity - 1)),
              static_cast<unsigned char>(kCapacity - 1));
    array.Shrink(array.count);
    for (std::uint32_t k = 1; k < SegmentedArray::kSegmentCount; ++k)
        EXPECT_EQ(array.segments[k], nullptr) << k;
}

} // namespace
