#include "foundation/testing/texts.h"

#include <gtest/gtest.h>

// GoogleTest's own printers of the standard strings quote and escape the text.
void PrintTo(UString<UTF8> text, std::ostream* out) {
    *out << ::testing::PrintToString(Text(text));
}

void PrintTo(UString<UTF16> text, std::ostream* out) {
    *out << ::testing::PrintToString(Units(text));
}

void PrintTo(const CopiedUString<UTF8>& text, std::ostream* out) {
    PrintTo(text.View(), out);
}

void PrintTo(const CopiedUString<UTF16>& text, std::ostream* out) {
    PrintTo(text.View(), out);
}
