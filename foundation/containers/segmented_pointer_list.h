// An append-only list of pointers whose first five entries live inside the object itself, so a
// handful of start-up registrations never allocate.
#pragma once

#include <cstdint>
#include <new>

#include "foundation/containers/segmented_array.h"

template <typename Pointer>
class SegmentedPointerList {
public:
    static constexpr std::uint32_t kInlineEntries = 5;

    SegmentedPointerList() {
        array_.Initialize(sizeof(Pointer), MutableByteRange(firstSegment_, sizeof(firstSegment_)));
    }
    ~SegmentedPointerList() {
        array_.Shrink(array_.count);
        array_.FreeSegments();
    }
    SegmentedPointerList(const SegmentedPointerList&) = delete;
    SegmentedPointerList& operator=(const SegmentedPointerList&) = delete;

    void Append(Pointer entry) { new (array_.Append(sizeof(Pointer))) Pointer(entry); }
    std::uint32_t Count() const { return array_.count; }
    Pointer At(std::uint32_t index) const {
        return *std::launder(static_cast<Pointer*>(array_.At(index)));
    }
    const SegmentedArray& Storage() const { return array_; }

private:
    alignas(Pointer) unsigned char firstSegment_[kInlineEntries * sizeof(Pointer)];
    SegmentedArray array_;
};
