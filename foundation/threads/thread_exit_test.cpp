#include "foundation/threads/thread_exit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "foundation/testing/started_thread.h"
#include "foundation/threads/log_nesting_depth.h"
#include "foundation/threads/per_thread_string.h"
#include "foundation/threads/thread_name.h"

namespace {

template <typename Pointer>
std::vector<Pointer> Entries(const SegmentedPointerList<Pointer>& list) {
    std::vector<Pointer> entries;
    for (std::uint32_t i = 0; i < list.Count(); ++i)
        entries.push_back(list.At(i));
    return entries;
}

TEST(SegmentedPointerListTest, KeepsFiveEntriesInsideItselfAndAllocatesForTheSixth) {
    int targets[7];
    SegmentedPointerList<int*> list;
    std::vector<int*> appended;
    for (int& target : targets) {
        EXPECT_EQ(list.Storage().segments[1] == nullptr, appended.size() <= 5) << appended.size();
        list.Append(&target);
        appended.push_back(&target);
    }
    EXPECT_EQ(list.Storage().elementSize, sizeof(int*));
    EXPECT_EQ(list.Storage().firstSegmentSize, 5 * sizeof(int*));
    EXPECT_EQ(Entries(list), appended);
}

TEST(ThreadLocalRegistryTest, HoldsTheSystemsThreadLocalsInTheirStartUpOrder) {
    const std::vector<Callable<void (*)()>*> entries = Entries(ThreadLocalRegistry());
    std::vector<std::size_t> positions;
    for (Callable<void (*)()>* instance : std::vector<Callable<void (*)()>*>{
             &PerThreadString(), &LogNestingDepth(), &ThreadNameSlot()}) {
        const auto found = std::find(entries.begin(), entries.end(), instance);
        ASSERT_NE(found, entries.end());
        EXPECT_EQ(std::count(entries.begin(), entries.end(), instance), 1);
        positions.push_back(static_cast<std::size_t>(found - entries.begin()));
    }
    EXPECT_LT(positions[0], positions[1]);
    EXPECT_LT(positions[1], positions[2]);
}

TEST(ThreadExitFunctionsTest, DisposeThreadLocalsIsTheOnlyEntry) {
    EXPECT_EQ(Entries(ThreadExitFunctions()), std::vector<ThreadExitFunction>{DisposeThreadLocals});
}

TEST(LogNestingDepthTest, ReadsAsNoneOnAFreshThread) {
    unsigned long notRead = 1;
    const unsigned long* depth = &notRead;
    RunOnStartedThread([&] { depth = LogNestingDepth().Get(); });
    EXPECT_EQ(depth, nullptr);
}

} // namespace
