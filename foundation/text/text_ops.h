// Search, trimming and the orderings of UTF-8 text.
#pragma once

#include <string>

#include "foundation/text/ustring.h"

// The first match of `pattern` in `text`, or text end; an empty pattern matches at the begin.
template <typename T>
const CodeUnit<T>* FindFirst(UString<T> text, UString<T> pattern) {
    const auto n = static_cast<std::int64_t>(pattern.Length());
    const std::int64_t available = text.end() - text.begin();
    if (available < n)
        return text.end();
    for (const CodeUnit<T>* p = text.begin(); p <= text.end() - n; ++p) {
        if (std::char_traits<CodeUnit<T>>::compare(p, pattern.begin(), n) == 0)
            return p;
    }
    return text.end();
}

// A sub-range without leading and trailing TAB, LF, CR and SPACE; nothing is copied.
UString<UTF8> TrimAsciiSpace(UString<UTF8> text);

std::string ToStdString(UString<UTF8> text);

// Byte-wise on unsigned bytes; on a common prefix the shorter text is less.
bool TextLess(UString<UTF8> a, UString<UTF8> b);

struct CopiedUStringLess {
    bool operator()(const CopiedUString<UTF8>& a, const CopiedUString<UTF8>& b) const {
        return TextLess(a, b);
    }
};

// Compares through the ASCII lower-case table: the first difference of the folded bytes, else
// 1, -1 or 0 by length.
int AsciiCompareNoCase(UString<UTF8> x, UString<UTF8> y);

struct CaseInsensitiveLess {
    bool operator()(const CopiedUString<UTF8>& x, const CopiedUString<UTF8>& y) const;
};
