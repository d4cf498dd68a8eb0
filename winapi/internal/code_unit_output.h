// Where a conversion puts its code units: counted always, stored while the destination has room.
#pragma once

#include <cstddef>

namespace win32_layer {

template <class Unit>
class CodeUnitOutput {
public:
    // A null destination with capacity 0 only counts, for size queries.
    CodeUnitOutput(Unit* destination, std::size_t capacity)
        : destination_(destination), capacity_(capacity) {}

    void Put(Unit unit) {
        if (count_ < capacity_) {
            destination_[count_] = unit;
        }
        ++count_;
    }

    std::size_t Count() const { return count_; }

private:
    Unit* destination_;
    std::size_t capacity_;
    std::size_t count_ = 0;
};

} // namespace win32_layer
