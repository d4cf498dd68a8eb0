#include "foundation/start_up/entry_slots.h"

void ReleaseEntries(EntrySlots& slots) noexcept {
    for (SlotEntry* entry : slots)
        delete entry;
    slots.fill(nullptr);
}

namespace {

constinit EntrySlots entrySlots{};
constinit EntrySlotsGuard entrySlotsGuard(entrySlots);

} // namespace
