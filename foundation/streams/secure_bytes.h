// Byte buffers for secrets: every block such a buffer gives back, a growing vector's old blocks
// included, is zeroed before it is released.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// Zeroes through volatile stores, which the compiler may not drop although the bytes are never
// read again.
void WipeBytes(void* bytes, std::size_t length) noexcept;

// Takes its blocks from `Inner` and wipes each one before handing it back.
template <typename T, typename Inner = std::allocator<T>>
class WipingAllocator {
public:
    using value_type = T;

    template <typename U>
    struct rebind {
        using other =
            WipingAllocator<U, typename std::allocator_traits<Inner>::template rebind_alloc<U>>;
    };

    WipingAllocator() = default;
    explicit WipingAllocator(const Inner& inner) : inner_(inner) {}
    template <typename U, typename OtherInner>
    WipingAllocator(const WipingAllocator<U, OtherInner>& other) noexcept
        : inner_(other.InnerAllocator()) {}

    T* allocate(std::size_t count) { return inner_.allocate(count); }
    void deallocate(T* block, std::size_t count) noexcept {
        WipeBytes(block, count * sizeof(T));
        inner_.deallocate(block, count);
    }

    const Inner& InnerAllocator() const { return inner_; }

    friend bool operator==(const WipingAllocator& left, const WipingAllocator& right) {
        return left.inner_ == right.inner_;
    }

private:
    Inner inner_;
};

using SecureBytes = std::vector<unsigned char, WipingAllocator<unsigned char>>;
