#include "foundation/encoding/code_pages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/testing/oversized_text.h"
#include "foundation/testing/texts.h"

namespace {

constexpr UINT kWindows1252 = 1252;

const std::string kGruesseUtf8 = "Gr\xC3\xBC\xC3\x9F"
                                 "e";
const std::u16string kGruesseUtf16 = u"Gr\u00FC\u00DF"
                                     "e";
const std::string kGruesse1252 = "Gr\xFC\xDF"
                                 "e";

TEST(CodePageWrappersTest, EmptySourceGivesZero) {
    EXPECT_EQ(MultiByteToWide(CP_UTF8, 0, "", 0, nullptr, 0), 0);
    EXPECT_EQ(WideToMultiByte(CP_UTF8, 0, WIDE(""), 0, nullptr, 0, nullptr, nullptr), 0);
}

TEST(CodePageWrappersTest, ReturnTheConvertersCounts) {
    EXPECT_EQ(MultiByteToWide(CP_UTF8, 0, kGruesseUtf8.data(), 7, nullptr, 0), 5);
    const std::vector<WCHAR> units = Wide(kGruesseUtf16);
    EXPECT_EQ(WideToMultiByte(CP_UTF8, 0, units.data(), 5, nullptr, 0, nullptr, nullptr), 7);
}

TEST(CodePageWrappersTest, AConverterFailureRaisesWindowsError) {
    WCHAR wide[2];
    try {
        MultiByteToWide(CP_UTF8, 0, "abcde", 5, wide, 2);
        FAIL() << "no error";
    } catch (const Windows::Error& error) {
        EXPECT_EQ(error.Code(), DWORD{ERROR_INSUFFICIENT_BUFFER});
    }
    char narrow[2];
    const std::vector<WCHAR> units = Wide(u"abcde");
    try {
        WideToMultiByte(CP_UTF8, 0, units.data(), 5, narrow, 2, nullptr, nullptr);
        FAIL() << "no error";
    } catch (const Windows::Error& error) {
        EXPECT_EQ(error.Code(), DWORD{ERROR_INSUFFICIENT_BUFFER});
    }
}

TEST(CodePageConversionTest, EmptyTextsGiveEmptyStrings) {
    EXPECT_TRUE(WideToAnsi(UString<UTF16>()).IsEmpty());
    EXPECT_TRUE(AnsiToWide(UString<UTF8>()).IsEmpty());
    EXPECT_TRUE(Utf8ToWide(UString<UTF8>()).IsEmpty());
    EXPECT_TRUE(WideToUtf8(UString<UTF16>()).IsEmpty());
}

TEST(CodePageConversionTest, Utf8ConversionsReplaceInvalidInput) {
    EXPECT_EQ(Units(Utf8ToWide("\xFF")), u"\uFFFD");
    EXPECT_EQ(Units(Utf8ToWide(View(kGruesseUtf8))), kGruesseUtf16);
    EXPECT_EQ(Text(WideToUtf8(View(Wide(kGruesseUtf16)))), kGruesseUtf8);
    const std::vector<WCHAR> lone = {u'a', 0xD800, u'b'};
    EXPECT_EQ(Text(WideToUtf8(View(lone))), "a\xEF\xBF\xBD"
                                            "b");
}

TEST(CodePageConversionTest, ResultsOfUpTo64UnitsStayInlineAndLongerGetExactBlocks) {
    for (const std::size_t length : {std::size_t{64}, std::size_t{65}, std::size_t{300}}) {
        const std::vector<WCHAR> units(length, u'x');
        const CopiedUString<UTF8> ansi = WideToAnsi(View(units));
        EXPECT_EQ(Text(ansi), std::string(length, 'x'));
        EXPECT_EQ(ansi.IsInline(), length <= 64) << length;
        EXPECT_EQ(ansi.Capacity(), std::max<std::uint64_t>(length, 64)) << length;

        const CopiedUString<UTF16> wide = Utf8ToWide(View(std::string(length, 'x')));
        EXPECT_EQ(wide.Length(), length);
        EXPECT_EQ(wide.Capacity(), std::max<std::uint64_t>(length, 64)) << length;
    }
}

// A text longer than the converters can count is refused before anything is read.
TEST(CodePageConversionTest, TextsBeyondThirtyTwoBitLengthsAreRefused) {
    const char first = 'a';
    try {
        Utf8ToWide(TextBeyond32BitLengths(first));
        FAIL() << "no error";
    } catch (const Windows::Error& error) {
        EXPECT_EQ(error.Code(), DWORD{ERROR_INVALID_PARAMETER});
    }
}

// The ANSI code page is 1252 under Wine and in the Linux layer's second run, UTF-8 otherwise.
class AnsiCodePageTest : public testing::Test {
protected:
    void SetUp() override {
        codePage_ = GetACP();
        if (codePage_ != kWindows1252 && codePage_ != CP_UTF8)
            GTEST_SKIP() << "ANSI code page " << codePage_ << " is neither 1252 nor UTF-8";
    }
    bool Is1252() const { return codePage_ == kWindows1252; }

private:
    UINT codePage_ = 0;
};

TEST_F(AnsiCodePageTest, Utf8ToAnsiZGivesTerminatedAnsiBytes) {
    const CopiedUString<UTF8> ansi = Utf8ToAnsiZ(View(kGruesseUtf8));
    const std::string expected = Is1252() ? kGruesse1252 : kGruesseUtf8;
    EXPECT_EQ(Text(ansi), expected);
    EXPECT_EQ(ansi.begin()[ansi.Length()], '\0');
    EXPECT_EQ(std::string(ansi.begin()), expected);
}

TEST_F(AnsiCodePageTest, CharactersMissingFromTheCodePageAreReplaced) {
    const std::string cjk = "a\xE4\xB8\xAD"
                            "b";
    const CopiedUString<UTF8> ansi = Utf8ToAnsiZ(View(cjk));
    EXPECT_EQ(Text(ansi), Is1252() ? "a?b" : cjk);
}

TEST_F(AnsiCodePageTest, AnsiToWideReadsTheCodePage) {
    if (Is1252()) {
        EXPECT_EQ(Units(AnsiToWide(View(kGruesse1252))), kGruesseUtf16);
        EXPECT_EQ(Units(AnsiToWide("\x80")), u"\u20AC");
    } else {
        EXPECT_EQ(Units(AnsiToWide(View(kGruesseUtf8))), kGruesseUtf16);
    }
}

TEST(Utf8ToAnsiZTest, EmptyTextGivesAnInlineNul) {
    const CopiedUString<UTF8> ansi = Utf8ToAnsiZ(UString<UTF8>());
    EXPECT_TRUE(ansi.IsEmpty());
    EXPECT_TRUE(ansi.IsInline());
    EXPECT_EQ(ansi.begin()[0], '\0');
}

template <typename T>
class TerminatedCopyTest : public testing::Test {
protected:
    using Unit = CodeUnit<T>;

    // `length` units of 'x' in a buffer of `capacity` units.
    static CopiedUString<T> Text(std::uint64_t length, std::uint64_t capacity) {
        const std::vector<Unit> units(length, Unit('x'));
        CopiedUString<T> text = CopiedUString<T>::WithCapacity(capacity);
        text.Append(UString<T>(units.data(), units.data() + units.size()));
        return text;
    }
};

using Encodings = testing::Types<UTF8, UTF16>;
TYPED_TEST_SUITE(TerminatedCopyTest, Encodings);

TYPED_TEST(TerminatedCopyTest, StoresTheNulInPlaceWhenThereIsRoomElseCopiesOnce) {
    struct Case {
        std::uint64_t length;
        std::uint64_t capacity;
        std::uint64_t resultCapacity;
        bool takesTheBuffer;
    };
    const std::vector<Case> cases = {
        {0, 64, 64, true},      {10, 64, 64, true},    {64, 64, 65, false},
        {100, 100, 101, false}, {100, 200, 200, true},
    };
    for (const Case& c : cases) {
        CopiedUString<TypeParam> source = TestFixture::Text(c.length, c.capacity);
        ASSERT_EQ(source.Capacity(), c.capacity);
        const auto* sourceBegin = source.begin();
        const CopiedUString<TypeParam> result = TerminatedCopy(std::move(source), false);
        EXPECT_EQ(result.Length(), c.length) << c.length << "/" << c.capacity;
        EXPECT_EQ(result.Capacity(), c.resultCapacity) << c.length << "/" << c.capacity;
        EXPECT_EQ(result.begin()[c.length], 0) << c.length << "/" << c.capacity;
        EXPECT_EQ(result.IsInline(), c.resultCapacity == 64);
        // A taken-over heap block changes hands; a full source keeps its text.
        if (!c.takesTheBuffer) {
            EXPECT_EQ(source.Length(), c.length);
        } else {
            EXPECT_TRUE(source.IsEmpty());
        }
        if (c.takesTheBuffer && c.capacity > 64) {
            EXPECT_EQ(result.begin(), sourceBegin);
        }
    }
}

TYPED_TEST(TerminatedCopyTest, DropLastUncountsTheTextsOwnTerminator) {
    for (const std::uint64_t capacity : {std::uint64_t{64}, std::uint64_t{100}}) {
        CopiedUString<TypeParam> source = TestFixture::Text(capacity - 1, capacity);
        const typename TestFixture::Unit nul = 0;
        source.Append(UString<TypeParam>(&nul, &nul + 1));
        ASSERT_EQ(source.Length(), source.Capacity());
        const CopiedUString<TypeParam> result = TerminatedCopy(std::move(source), true);
        EXPECT_EQ(result.Length(), capacity - 1);
        EXPECT_EQ(result.begin()[capacity - 1], 0);
        EXPECT_EQ(result.Capacity(), capacity);
    }
}

TYPED_TEST(TerminatedCopyTest, DropLastOfAnEmptyTextThrows) {
    try {
        TerminatedCopy(CopiedUString<TypeParam>(), true);
        FAIL() << "no error";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "SetEnd out of range");
    }
}

} // namespace
