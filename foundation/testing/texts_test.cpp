#include "foundation/testing/texts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextPrintersTest, FailuresShowTheTextOfEveryStringType) {
    const CopiedUString<UTF8> copied("a\"b\n");
    const CopiedUString<UTF16> wide(WIDE("ab"));
    EXPECT_EQ(::testing::PrintToString(UString<UTF8>("a\"b\n")), "\"a\\\"b\\n\"");
    EXPECT_EQ(::testing::PrintToString(copied), "\"a\\\"b\\n\"");
    EXPECT_EQ(::testing::PrintToString(UString<UTF16>(WIDE("ab"))), "u\"ab\"");
    EXPECT_EQ(::testing::PrintToString(wide), "u\"ab\"");
}

TEST(TextHelpersTest, EmptyAndReversedRangesGiveEmptyTexts) {
    const char bytes[] = "ab";
    EXPECT_EQ(Text(UString<UTF8>()), "");
    EXPECT_EQ(Text(UString<UTF8>(bytes + 2, bytes)), "");
    EXPECT_EQ(Units(UString<UTF16>()), u"");
}

} // namespace
