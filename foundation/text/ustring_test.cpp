#include "foundation/text/ustring.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/testing/texts.h"
#include "foundation/text/string_builder.h"

namespace {

using U8 = CopiedUString<UTF8>;

U8 Repeated(char unit, std::size_t count) {
    const std::string text(count, unit);
    return U8(View(text));
}

TEST(UStringTest, ReversedAndNullRangesAreEmpty) {
    const char text[] = "abc";
    EXPECT_TRUE(UString<UTF8>(text + 2, text).IsEmpty());
    EXPECT_EQ(UString<UTF8>(text + 2, text).Length(), 0u);
    EXPECT_TRUE(UString<UTF8>(nullptr).IsEmpty());
    EXPECT_EQ(UString<UTF8>("abc").Length(), 3u);
}

TEST(CopiedUStringTest, ConstructionStoresInlineUpTo64UnitsElseExactHeapBlock) {
    struct Case {
        std::size_t length;
        bool isInline;
        std::uint64_t capacity;
    };
    for (const Case& c : {Case{0, true, 64}, Case{1, true, 64}, Case{64, true, 64},
                          Case{65, false, 65}, Case{1000, false, 1000}}) {
        const U8 s = Repeated('x', c.length);
        EXPECT_EQ(s.Length(), c.length);
        EXPECT_EQ(s.IsInline(), c.isInline) << c.length;
        EXPECT_EQ(s.Capacity(), c.capacity) << c.length;
        EXPECT_EQ(Text(s), std::string(c.length, 'x'));
    }
}

TEST(CopiedUStringTest, ReversedRangeGivesEmptyString) {
    const char text[] = "abc";
    const U8 s(text + 3, text);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_TRUE(s.IsInline());
}

TEST(CopiedUStringTest, CopyNeverCarriesSpareCapacity) {
    U8 grown = Repeated('a', 100);
    grown.Append("b");
    ASSERT_EQ(grown.Capacity(), 200u);
    const U8 copy = U8::Copy(grown);
    EXPECT_EQ(copy.Capacity(), 101u);
    EXPECT_EQ(Text(copy), Text(grown));
}

TEST(CopiedUStringTest, AppendGrowsFromTheOldLength) {
    struct Case {
        std::size_t initial;
        std::size_t appended;
        std::uint64_t capacity;
        bool isInline;
    };
    for (const Case& c : {Case{64, 1, 128, false}, Case{30, 10, 64, true}, Case{100, 1, 200, false},
                          Case{10, 0, 64, true}, Case{0, 65, 65, false}}) {
        U8 s = Repeated('a', c.initial);
        s.Append(Repeated('b', c.appended));
        EXPECT_EQ(s.Length(), c.initial + c.appended);
        EXPECT_EQ(s.Capacity(), c.capacity) << c.initial << "+" << c.appended;
        EXPECT_EQ(s.IsInline(), c.isInline);
        EXPECT_EQ(Text(s), std::string(c.initial, 'a') + std::string(c.appended, 'b'));
    }
}

TEST(CopiedUStringTest, BuilderHintIsNotTheGrowthBase) {
    UStringBuilder<UTF8> builder(1000);
    builder.Begin();
    builder.Receive(Repeated('a', 10));
    builder.Receive(Repeated('b', 1000));
    const U8 s = builder.TakeText();
    EXPECT_EQ(s.Length(), 1010u);
    EXPECT_EQ(s.Capacity(), 1010u);
}

TEST(CopiedUStringTest, AppendOfItsOwnTextDoublesIt) {
    U8 inPlace("abc");
    inPlace.Append(inPlace);
    EXPECT_EQ(Text(inPlace), "abcabc");
    EXPECT_TRUE(inPlace.IsInline());

    U8 growing = Repeated('z', 40);
    growing.Append(growing);
    EXPECT_EQ(Text(growing), std::string(80, 'z'));
    EXPECT_EQ(growing.Capacity(), 80u);
}

TEST(CopiedUStringTest, AssignFromItsOwnText) {
    U8 s = Repeated('q', 100);
    s.Assign(UString<UTF8>(s.begin() + 90, s.end()));
    EXPECT_EQ(Text(s), std::string(10, 'q'));
    EXPECT_TRUE(s.IsInline());
}

TEST(CopiedUStringTest, MoveLeavesTheSourceEmptyAndHandsTheBlockOver) {
    U8 heap = Repeated('h', 100);
    const char* block = heap.begin();
    U8 target(std::move(heap));
    EXPECT_EQ(target.begin(), block);
    EXPECT_EQ(target.Capacity(), 100u);
    EXPECT_TRUE(heap.IsEmpty());
    EXPECT_TRUE(heap.IsInline());
    EXPECT_EQ(heap.Capacity(), 64u);

    U8 small("abc");
    small.begin()[3] = '\0';
    U8 other = Repeated('o', 200);
    other = std::move(small);
    EXPECT_EQ(Text(other), "abc");
    EXPECT_TRUE(other.IsInline());
    // The whole inline buffer moves, so a terminator after the text survives.
    EXPECT_EQ(other.begin()[3], '\0');
    EXPECT_TRUE(small.IsEmpty());
}

TEST(CopiedUStringTest, SelfMoveChangesNothing) {
    U8 s = Repeated('s', 70);
    U8& alias = s;
    s = std::move(alias);
    EXPECT_EQ(Text(s), std::string(70, 's'));
}

TEST(CopiedUStringTest, SetEndOutsideTheCapacityThrows) {
    U8 s("abc");
    EXPECT_THROW(s.SetEnd(s.begin() + 65), std::out_of_range);
    EXPECT_THROW(s.SetEnd(s.begin() - 1), std::out_of_range);
    try {
        s.SetEnd(s.begin() + 65);
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "SetEnd out of range");
    }
    s.SetEnd(s.begin() + 64);
    EXPECT_EQ(s.Length(), 64u);
}

TEST(CopiedUStringTest, WideStringsUseTheSameRules) {
    const CopiedUString<UTF16> inlined(WIDE("abc"));
    EXPECT_EQ(inlined.Length(), 3u);
    EXPECT_TRUE(inlined.IsInline());
    CopiedUString<UTF16> wide = CopiedUString<UTF16>::WithCapacity(65);
    EXPECT_EQ(wide.Capacity(), 65u);
    wide.Append(inlined);
    EXPECT_EQ(wide.Length(), 3u);
    EXPECT_EQ(wide.Capacity(), 65u);
}

TEST(ConcatenateTest, AllocatesOnceForTheExactSum) {
    const U8 small = Concatenate<UTF8>("ab", "");
    EXPECT_EQ(Text(small), "ab");
    EXPECT_TRUE(small.IsInline());

    const U8 forty = Repeated('f', 40);
    const U8 eighty = forty + forty;
    EXPECT_EQ(eighty.Length(), 80u);
    EXPECT_EQ(eighty.Capacity(), 80u);
}

TEST(ReplaceAllTest, ReplacesLeftToRightWithoutOverlaps) {
    struct Case {
        const char* text;
        const char* pattern;
        const char* replacement;
        const char* expected;
    };
    for (const Case& c : {
             Case{"aaaa", "aa", "b", "bb"},
             Case{"aaa", "aa", "b", "ba"},
             Case{"a|b", "|", "%7C", "a%7Cb"},
             Case{"xax", "a", "aa", "xaax"},
             Case{"abc", "", "z", "abc"},
             Case{"", "a", "z", ""},
             Case{"ab", "abc", "z", "ab"},
             Case{"ab", "ab", "", ""},
         }) {
        const U8 result = ReplaceAll<UTF8>(c.text, c.pattern, c.replacement);
        EXPECT_EQ(Text(result), c.expected) << c.text << " / " << c.pattern;
        EXPECT_GE(result.Capacity(), 256u);
    }
}

} // namespace
