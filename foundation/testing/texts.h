// The string types in tests: their texts as standard strings, which compare and print, views of
// test data, and GoogleTest printers so that a failure shows a string's text, not its bytes.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "foundation/text/lifetime_bound.h"
#include "foundation/text/ustring.h"

// An empty or reversed range gives the empty text.
inline std::string Text(UString<UTF8> text) {
    return text.IsEmpty() ? std::string() : std::string(text.begin(), text.Length());
}

inline std::u16string Units(UString<UTF16> text) {
    return text.IsEmpty() ? std::u16string() : std::u16string(text.begin(), text.end());
}

inline UString<UTF8> View(const std::string& text QUENDRA_LIFETIME_BOUND) {
    return UString<UTF8>(text.data(), text.data() + text.size());
}

// WCHAR is not char16_t on Windows, so wide test data is held as WCHAR units.
inline std::vector<WCHAR> Wide(const std::u16string& text) {
    return std::vector<WCHAR>(text.begin(), text.end());
}

inline UString<UTF16> View(const std::vector<WCHAR>& units QUENDRA_LIFETIME_BOUND) {
    return UString<UTF16>(units.data(), units.data() + units.size());
}

void PrintTo(UString<UTF8> text, std::ostream* out);
void PrintTo(UString<UTF16> text, std::ostream* out);
void PrintTo(const CopiedUString<UTF8>& text, std::ostream* out);
void PrintTo(const CopiedUString<UTF16>& text, std::ostream* out);
