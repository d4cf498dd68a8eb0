#include "foundation/text/text_ops.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "foundation/testing/texts.h"
#include "foundation/text/ascii_tables.h"

namespace {

TEST(FindFirstTest, FindsTheFirstMatchOrReturnsTheEnd) {
    const std::string text = "abcabc";
    EXPECT_EQ(FindFirst<UTF8>(View(text), "ca"), text.data() + 2);
    EXPECT_EQ(FindFirst<UTF8>(View(text), "abc"), text.data());
    EXPECT_EQ(FindFirst<UTF8>(View(text), "bcd"), text.data() + 6);
    EXPECT_EQ(FindFirst<UTF8>(View(text), "abcabcx"), text.data() + 6);
    EXPECT_EQ(FindFirst<UTF8>(View(text), ""), text.data());
}

TEST(TrimAsciiSpaceTest, TrimsOnlyTabLineFeedCarriageReturnAndSpace) {
    struct Case {
        std::string text;
        std::string expected;
    };
    for (const Case& c :
         {Case{"\t ab c\n", "ab c"}, Case{"\r\n", ""}, Case{"", ""}, Case{"\vx\f", "\vx\f"},
          Case{"x\xA0", "x\xA0"}, Case{"  x", "x"}, Case{"one\r\ntwo\r\n", "one\r\ntwo"}}) {
        const UString<UTF8> trimmed = TrimAsciiSpace(View(c.text));
        EXPECT_EQ(std::string(trimmed.begin(), trimmed.Length()), c.expected);
    }
    const std::string spaces = "   ";
    const UString<UTF8> empty = TrimAsciiSpace(View(spaces));
    EXPECT_EQ(empty.begin(), spaces.data() + 3);
    EXPECT_EQ(empty.end(), spaces.data() + 3);
}

TEST(ToStdStringTest, CopiesTheBytes) {
    EXPECT_EQ(ToStdString(UString<UTF8>()), "");
    const std::string withNul("a\0b", 3);
    EXPECT_EQ(ToStdString(View(withNul)), withNul);
}

TEST(TextLessTest, OrdersByUnsignedBytesThenLength) {
    struct Case {
        std::string a;
        std::string b;
        bool less;
    };
    for (const Case& c : {Case{"abc", "abd", true}, Case{"ab", "abc", true}, Case{"", "a", true},
                          Case{"abc", "abc", false}, Case{"a", "", false}, Case{"z", "\x80", true},
                          Case{"\x80", "z", false}}) {
        EXPECT_EQ(TextLess(View(c.a), View(c.b)), c.less) << c.a << " < " << c.b;
    }
    std::set<CopiedUString<UTF8>, CopiedUStringLess> sorted{
        CopiedUString<UTF8>("b"), CopiedUString<UTF8>("ab"), CopiedUString<UTF8>("a")};
    std::string order;
    for (const auto& s : sorted)
        order += ToStdString(s) + ",";
    EXPECT_EQ(order, "a,ab,b,");
}

TEST(AsciiCompareNoCaseTest, FoldsOnlyAsciiLetters) {
    struct Case {
        std::string x;
        std::string y;
        int result;
    };
    for (const Case& c :
         {Case{"ABC", "abc", 0}, Case{"abc", "abcd", -1}, Case{"abcd", "ABC", 1}, Case{"b", "A", 1},
          Case{"[", "A", -6}, Case{"\xC4", "\xE4", -32}, Case{"", "", 0}}) {
        EXPECT_EQ(AsciiCompareNoCase(View(c.x), View(c.y)), c.result) << c.x << " ~ " << c.y;
    }
}

TEST(CaseInsensitiveLessTest, OrdersIgnoringAsciiCase) {
    const CaseInsensitiveLess less;
    EXPECT_TRUE(less(CopiedUString<UTF8>("apple"), CopiedUString<UTF8>("Banana")));
    EXPECT_FALSE(less(CopiedUString<UTF8>("APPLE"), CopiedUString<UTF8>("apple")));
    EXPECT_TRUE(less(CopiedUString<UTF8>(""), CopiedUString<UTF8>("a")));
    EXPECT_FALSE(less(CopiedUString<UTF8>("a"), CopiedUString<UTF8>("")));
}

TEST(AsciiTablesTest, SetsHoldExactlyTheirBytes) {
    std::string space;
    std::string name;
    for (int byte = 0; byte < 256; ++byte) {
        if (AsciiWhiteSpaceSet().Contains(std::uint8_t(byte)))
            space += char(byte);
        if (AsciiNameCharSet().Contains(std::uint8_t(byte)))
            name += char(byte);
    }
    EXPECT_EQ(space, "\t\n\r ");
    EXPECT_EQ(name, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(AsciiLowerTable()['Z'], 'z');
    EXPECT_EQ(AsciiLowerTable()['['], '[');
    EXPECT_EQ(AsciiUpperTable()['a'], 'A');
    EXPECT_EQ(AsciiUpperTable()[0xE4], 0xE4);
}

} // namespace
