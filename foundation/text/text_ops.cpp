#include "foundation/text/text_ops.h"

#include <algorithm>

#include "foundation/text/ascii_tables.h"

namespace {

std::uint8_t Byte(char unit) {
    return static_cast<std::uint8_t>(unit);
}

} // namespace

UString<UTF8> TrimAsciiSpace(UString<UTF8> text) {
    if (text.IsEmpty())
        return text;
    const ByteSet& space = AsciiWhiteSpaceSet();
    const char* begin = text.begin();
    const char* end = text.end();
    while (begin != end && space.Contains(Byte(*begin)))
        ++begin;
    if (begin == end)
        return UString<UTF8>(end, end);
    while (space.Contains(Byte(end[-1])))
        --end;
    return UString<UTF8>(begin, end);
}

std::string ToStdString(UString<UTF8> text) {
    if (text.begin() == nullptr)
        return std::string();
    return std::string(text.begin(), text.Length());
}

bool TextLess(UString<UTF8> a, UString<UTF8> b) {
    if (a.IsEmpty() || b.IsEmpty())
        return a.Length() < b.Length();
    const std::uint64_t common = std::min(a.Length(), b.Length());
    const int order = std::memcmp(a.begin(), b.begin(), common);
    if (order != 0)
        return order < 0;
    return a.Length() < b.Length();
}

int AsciiCompareNoCase(UString<UTF8> x, UString<UTF8> y) {
    const ByteTable& lower = AsciiLowerTable();
    const std::uint64_t common = std::min(x.Length(), y.Length());
    for (std::uint64_t i = 0; i < common; ++i) {
        const int a = lower[Byte(x.begin()[i])];
        const int b = lower[Byte(y.begin()[i])];
        if (a != b)
            return a - b;
    }
    if (x.Length() != y.Length())
        return x.Length() > y.Length() ? 1 : -1;
    return 0;
}

bool CaseInsensitiveLess::operator()(const CopiedUString<UTF8>& x,
                                     const CopiedUString<UTF8>& y) const {
    if (x.IsEmpty() || y.IsEmpty())
        return x.Length() < y.Length();
    return AsciiCompareNoCase(x, y) < 0;
}
