#include "foundation/streams/secure_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

struct ReleasedBlock {
    std::size_t bytes;
    bool zeroed;
};

// The heap's blocks, each noted with what it held when it came back.
template <typename T>
struct RecordingAllocator {
    using value_type = T;

    explicit RecordingAllocator(std::vector<ReleasedBlock>* released) : log(released) {}
    template <typename U>
    RecordingAllocator(const RecordingAllocator<U>& other) : log(other.log) {}

    T* allocate(std::size_t count) { return std::allocator<T>().allocate(count); }
    void deallocate(T* block, std::size_t count) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(block);
        const std::size_t length = count * sizeof(T);
        log->push_back({length, std::all_of(bytes, bytes + length,
                                            [](unsigned char byte) { return byte == 0; })});
        std::allocator<T>().deallocate(block, count);
    }
    bool operator==(const RecordingAllocator&) const = default;

    std::vector<ReleasedBlock>* log;
};

using RecordedSecureBytes =
    std::vector<unsigned char, WipingAllocator<unsigned char, RecordingAllocator<unsigned char>>>;

TEST(WipingAllocatorTest, EveryBlockAGrowingVectorLeavesIsZeroed) {
    std::vector<ReleasedBlock> log;
    {
        RecordedSecureBytes secret{
            WipingAllocator<unsigned char, RecordingAllocator<unsigned char>>{
                RecordingAllocator<unsigned char>{&log}}};
        for (int index = 0; index < 5000; ++index)
            secret.push_back(0xA5);
        EXPECT_EQ(std::count(secret.begin(), secret.end(), 0xA5), 5000);
        EXPECT_GT(log.size(), 1u) << "the vector never grew into a new block";
    }
    std::size_t largest = 0;
    for (const ReleasedBlock& block : log) {
        EXPECT_TRUE(block.zeroed) << "a block of " << block.bytes << " bytes";
        largest = std::max(largest, block.bytes);
    }
    EXPECT_GE(largest, 5000u);
}

TEST(WipeBytesTest, ZeroesTheRangeAndNothingBeside) {
    unsigned char bytes[] = {1, 2, 3, 4, 5, 6};
    WipeBytes(bytes + 1, 4);
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 6),
              (std::vector<unsigned char>{1, 0, 0, 0, 0, 6}));
}

} // namespace
