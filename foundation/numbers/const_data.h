// A short text held entirely inside the object, so number and address texts can be made and
// returned without allocating, even while an error message is being composed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "foundation/errors/debuggable_exception.h"
#include "foundation/text/lifetime_bound.h"
#include "foundation/text/ustring.h"

class ConstDataCapacityExceeded : public DebuggableException {};

// At most N bytes of text, always followed by two NUL bytes.
template <std::size_t N>
class ConstData {
public:
    // Throws ConstDataCapacityExceeded for a text longer than N.
    explicit ConstData(UString<UTF8> text) : length_(text.Length()) {
        if (length_ > N)
            throw ConstDataCapacityExceeded();
        if (length_ > 0)
            std::memcpy(storage_, text.begin(), length_);
        storage_[length_] = '\0';
        storage_[length_ + 1] = '\0';
    }

    // Views into this object: they end with it.
    UString<UTF8> View() const QUENDRA_LIFETIME_BOUND {
        return UString<UTF8>(storage_, storage_ + length_);
    }
    operator UString<UTF8>() const QUENDRA_LIFETIME_BOUND { return View(); }
    const char* c_str() const QUENDRA_LIFETIME_BOUND { return storage_; }
    std::uint64_t Length() const { return length_; }

private:
    std::uint64_t length_;
    char storage_[N + 2] = {};
};
