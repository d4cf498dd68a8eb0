// Eighteen entry slots, null from load, and the guard that frees their entries at exit.
#pragma once

#include <array>
#include <memory>

#include "foundation/text/ustring.h"

// Members end in reverse order, so releasing an entry frees its companion before its text.
struct SlotEntry {
    CopiedUString<UTF8> text;
    std::unique_ptr<unsigned char[]> companion;
};

using EntrySlots = std::array<SlotEntry*, 18>;

// Frees every entry, slot 0 first, then empties all the slots.
void ReleaseEntries(EntrySlots& slots) noexcept;

class EntrySlotsGuard {
public:
    constexpr explicit EntrySlotsGuard(EntrySlots& slots) : slots_(slots) {}
    ~EntrySlotsGuard() { ReleaseEntries(slots_); }
    EntrySlotsGuard(const EntrySlotsGuard&) = delete;
    EntrySlotsGuard& operator=(const EntrySlotsGuard&) = delete;

private:
    EntrySlots& slots_;
};
