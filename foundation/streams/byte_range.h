// A pair of byte pointers. Operations that consume or fill a range in place take it by
// reference and advance its begin; those that take it by value leave the caller's range alone.
#pragma once

#include <cstddef>
#include <type_traits>

template <typename Byte>
class BasicByteRange {
public:
    constexpr BasicByteRange() = default;
    constexpr BasicByteRange(Byte* begin, Byte* end) : begin_(begin), end_(end) {}
    constexpr BasicByteRange(Byte* data, std::size_t size) : begin_(data), end_(data + size) {}
    // A writable range also supplies bytes.
    template <typename Writable, typename = std::enable_if_t<std::is_same_v<const Writable, Byte> &&
                                                             !std::is_same_v<Writable, Byte>>>
    constexpr BasicByteRange(BasicByteRange<Writable> other)
        : begin_(other.begin()), end_(other.end()) {}

    constexpr Byte* begin() const { return begin_; }
    constexpr Byte* end() const { return end_; }
    constexpr std::size_t Length() const { return end_ > begin_ ? std::size_t(end_ - begin_) : 0; }
    constexpr bool IsEmpty() const { return !(end_ > begin_); }

    // Moves the begin past `count` bytes, which must be within the range.
    constexpr void Advance(std::size_t count) { begin_ += count; }

private:
    Byte* begin_ = nullptr;
    Byte* end_ = nullptr;
};

using ByteRange = BasicByteRange<const unsigned char>;
using MutableByteRange = BasicByteRange<unsigned char>;
