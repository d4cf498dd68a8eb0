#include "foundation/start_up/entry_slots.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/containers/heap_log_for_test.h"
#include "foundation/testing/texts.h"

namespace {

HeapCall Freed(const void* block) {
    return HeapCall{HeapCall::Freed, block};
}

// An entry whose text is beyond the inline units, so that it owns a heap block too.
SlotEntry* NewEntry() {
    const std::string text(100, 'e');
    return new SlotEntry{CopiedUString<UTF8>(View(text)), std::make_unique<unsigned char[]>(16)};
}

bool AllNull(const EntrySlots& slots) {
    for (const SlotEntry* entry : slots) {
        if (entry != nullptr)
            return false;
    }
    return true;
}

TEST(EntrySlotsGuardTest, FreesTheFilledSlotsFromSlotZeroOnAndEmptiesEverySlot) {
    struct Case {
        std::vector<std::size_t> filled;
    };
    const Case cases[] = {{{}}, {{0, 17}}, {{17}}, {{3, 4, 9}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.filled));
        EntrySlots slots{};
        std::vector<HeapCall> expected;
        for (std::size_t index : c.filled) {
            SlotEntry* const entry = NewEntry();
            slots[index] = entry;
            expected.insert(expected.end(), {Freed(entry->companion.get()),
                                             Freed(entry->text.begin()), Freed(entry)});
        }
        HeapLog log;
        { const EntrySlotsGuard guard(slots); }
        EXPECT_EQ(log.Close(), expected);
        EXPECT_TRUE(AllNull(slots));
    }
}

} // namespace
