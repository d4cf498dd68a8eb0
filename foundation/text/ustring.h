// Text ranges and the owning string with a 64-unit inline buffer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "foundation/text/encoding.h"
#include "foundation/text/lifetime_bound.h"

// A non-owning text range; a range whose end is not above its begin is empty.
template <typename T>
class UString {
public:
    using Unit = CodeUnit<T>;

    constexpr UString() = default;
    constexpr UString(const Unit* begin, const Unit* end) : begin_(begin), end_(end) {}
    // A NUL-terminated text; null reads as empty.
    constexpr UString(const Unit* text)
        : begin_(text), end_(text == nullptr ? text : text + std::char_traits<Unit>::length(text)) {
    }

    constexpr const Unit* begin() const { return begin_; }
    constexpr const Unit* end() const { return end_; }
    constexpr std::uint64_t Length() const { return end_ > begin_ ? end_ - begin_ : 0; }
    constexpr bool IsEmpty() const { return !(end_ > begin_); }

private:
    const Unit* begin_ = nullptr;
    const Unit* end_ = nullptr;
};

template <typename T>
class CopiedUString {
public:
    using Unit = CodeUnit<T>;
    static constexpr std::uint64_t kInlineCapacity = 64;

    CopiedUString() = default;
    CopiedUString(UString<T> text) { CopyFrom(text); }
    CopiedUString(const Unit* first, const Unit* last) { CopyFrom(UString<T>(first, last)); }
    CopiedUString(const CopiedUString& other) { CopyFrom(other.View()); }
    CopiedUString(CopiedUString&& other) noexcept { TakeOver(other); }
    ~CopiedUString() { Release(); }

    CopiedUString& operator=(const CopiedUString& other) { return Assign(other.View()); }
    CopiedUString& operator=(CopiedUString&& other) noexcept { return MoveAssign(other); }

    static CopiedUString Copy(const CopiedUString& other) { return CopiedUString(other); }

    // An empty string whose buffer holds max(units, 64): the inline buffer, or a heap block of
    // exactly `units`.
    static CopiedUString WithCapacity(std::uint64_t units) {
        CopiedUString result;
        if (units > kInlineCapacity) {
            result.begin_ = Allocate(units);
            result.end_ = result.begin_;
            result.capacity_ = units;
        }
        return result;
    }

    // The copy is built first, so `text` may lie inside this string.
    CopiedUString& Assign(UString<T> text) {
        CopiedUString copy(text);
        return MoveAssign(copy);
    }

    CopiedUString& Append(UString<T> text) {
        if (text.IsEmpty())
            return *this;
        const std::uint64_t old = Length();
        const std::uint64_t need = old + text.Length();
        if (need <= capacity_) {
            // memmove: the range may be this string's own text.
            std::memmove(end_, text.begin(), text.Length() * sizeof(Unit));
            SetEnd(begin_ + need);
            return *this;
        }
        CopiedUString grown;
        const std::uint64_t newCapacity = std::max({need, 2 * old, kInlineCapacity});
        grown.begin_ = Allocate(newCapacity);
        grown.capacity_ = newCapacity;
        if (old > 0)
            std::memcpy(grown.begin_, begin_, old * sizeof(Unit));
        std::memcpy(grown.begin_ + old, text.begin(), text.Length() * sizeof(Unit));
        grown.end_ = grown.begin_ + need;
        return MoveAssign(grown);
    }

    CopiedUString& MoveAssign(CopiedUString& source) noexcept {
        if (&source != this) {
            Release();
            TakeOver(source);
        }
        return *this;
    }

    void SetEnd(Unit* end) {
        if (end < begin_ || end > begin_ + capacity_)
            throw std::out_of_range("SetEnd out of range");
        end_ = end;
    }

    // Views into this string: they end with it.
    UString<T> View() const QUENDRA_LIFETIME_BOUND { return UString<T>(begin_, end_); }
    operator UString<T>() const QUENDRA_LIFETIME_BOUND { return View(); }

    Unit* begin() QUENDRA_LIFETIME_BOUND { return begin_; }
    Unit* end() QUENDRA_LIFETIME_BOUND { return end_; }
    const Unit* begin() const QUENDRA_LIFETIME_BOUND { return begin_; }
    const Unit* end() const QUENDRA_LIFETIME_BOUND { return end_; }
    std::uint64_t Length() const { return end_ - begin_; }
    bool IsEmpty() const { return end_ == begin_; }
    std::uint64_t Capacity() const { return capacity_; }
    bool IsInline() const { return begin_ == inline_; }

private:
    static Unit* Allocate(std::uint64_t units) {
        return static_cast<Unit*>(::operator new(units * sizeof(Unit)));
    }

    void CopyFrom(UString<T> text) {
        const std::uint64_t length = text.Length();
        if (length == 0)
            return;
        if (length > kInlineCapacity) {
            begin_ = Allocate(length);
            capacity_ = length;
        }
        std::memcpy(begin_, text.begin(), length * sizeof(Unit));
        end_ = begin_ + length;
    }

    // Frees the block and returns to the empty state.
    void Release() noexcept {
        if (notOwned_ == 0 && begin_ != inline_)
            ::operator delete(begin_);
        ResetToEmpty();
    }

    void ResetToEmpty() noexcept {
        begin_ = end_ = inline_;
        capacity_ = kInlineCapacity;
    }

    // Expects this string to be empty; leaves the source empty without freeing anything.
    void TakeOver(CopiedUString& source) noexcept {
        if (source.IsInline()) {
            // The whole buffer moves, so a terminator stored just past the text survives.
            std::memcpy(inline_, source.inline_, sizeof(inline_));
            end_ = inline_ + source.Length();
        } else {
            begin_ = source.begin_;
            end_ = source.end_;
            capacity_ = source.capacity_;
        }
        notOwned_ = 0;
        source.ResetToEmpty();
    }

    Unit* begin_ = inline_;
    Unit* end_ = inline_;
    std::uint64_t capacity_ = kInlineCapacity;
    std::uint8_t notOwned_ = 0;
    Unit inline_[kInlineCapacity];
};

template <typename First, typename Second>
struct Pair {
    First first;
    Second second;
};
