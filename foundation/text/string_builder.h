// The text sink interface, its one implementation, and the operations built on it.
#pragma once

#include "foundation/text/text_ops.h"
#include "foundation/text/ustring.h"

template <typename T>
class UTextReceiver {
public:
    virtual ~UTextReceiver() = default;
    virtual void Begin() {}
    virtual void Receive(UString<T>) {}
    virtual void End() {}
    virtual std::uint64_t ProjectedSize(UString<T>) { return 0; }
};

template <typename T>
class UStringBuilder : public UTextReceiver<T> {
public:
    explicit UStringBuilder(std::uint64_t sizeHint) : sizeHint_(sizeHint) {}

    void Begin() override { text_ = CopiedUString<T>::WithCapacity(sizeHint_); }
    void Receive(UString<T> piece) override { text_.Append(piece); }
    void End() override {}
    std::uint64_t ProjectedSize(UString<T> piece) override {
        return text_.Length() + piece.Length();
    }

    CopiedUString<T> TakeText() { return std::move(text_); }

private:
    std::uint64_t sizeHint_;
    CopiedUString<T> text_;
};

// One allocation at most: the hint is the exact sum.
template <typename T>
CopiedUString<T> Concatenate(UString<T> a, UString<T> b) {
    UStringBuilder<T> builder(a.Length() + b.Length());
    builder.Begin();
    builder.Receive(a);
    builder.Receive(b);
    builder.End();
    return builder.TakeText();
}

inline CopiedUString<UTF8> operator+(const CopiedUString<UTF8>& a, UString<UTF8> b) {
    return Concatenate<UTF8>(a, b);
}

// Left to right, without overlaps; the replacement is never scanned again. The result starts
// in a 256-unit block so that short results never regrow.
template <typename T>
CopiedUString<T> ReplaceAll(UString<T> text, UString<T> pattern, UString<T> replacement) {
    UStringBuilder<T> builder(256);
    builder.Begin();
    const CodeUnit<T>* current = text.begin();
    const CodeUnit<T>* end = text.end();
    if (!text.IsEmpty() && !pattern.IsEmpty()) {
        for (const CodeUnit<T>* match = FindFirst(text, pattern); match != end;
             match = FindFirst(UString<T>(current, end), pattern)) {
            builder.Receive(UString<T>(current, match));
            builder.Receive(replacement);
            current = match + pattern.Length();
            if (current >= end)
                break;
        }
    }
    builder.Receive(UString<T>(current, end));
    builder.End();
    return builder.TakeText();
}
