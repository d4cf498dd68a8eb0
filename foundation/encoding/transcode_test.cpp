#include "foundation/encoding/transcode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/encoding/charset_errors.h"
#include "foundation/testing/oversized_text.h"
#include "foundation/testing/texts.h"

namespace {

// The same text in both encodings.
struct ValidCase {
    std::string utf8;
    std::u16string utf16;
};

const std::vector<ValidCase>& ValidCases() {
    static const std::vector<ValidCase> cases = {
        {"A", u"A"},
        {"Gr\xC3\xBC\xC3\x9F"
         "e",
         u"Gr\u00FC\u00DF"
         "e"},
        {"\xE2\x82\xAC", u"\u20AC"},
        {"\xF0\x9D\x84\x9E", u"\U0001D11E"},
        {std::string(64, 'x'), std::u16string(64, u'x')},
        {std::string(65, 'x'), std::u16string(65, u'x')},
    };
    return cases;
}

TEST(TranscodeTest, EmptyTextsGiveEmptyInlineStrings) {
    const CopiedUString<UTF16> wide = TranscodeU8ToU16(UString<UTF8>());
    const CopiedUString<UTF8> narrow = TranscodeU16ToU8(UString<UTF16>());
    EXPECT_TRUE(wide.IsEmpty());
    EXPECT_TRUE(wide.IsInline());
    EXPECT_TRUE(narrow.IsEmpty());
    EXPECT_TRUE(narrow.IsInline());
}

TEST(TranscodeTest, ValidTextsConvertBothWaysInBuffersOfTheirExactSize) {
    for (const ValidCase& c : ValidCases()) {
        const CopiedUString<UTF16> wide = TranscodeU8ToU16(View(c.utf8));
        EXPECT_EQ(Units(wide), c.utf16) << c.utf8;
        EXPECT_EQ(wide.Capacity(), std::max<std::uint64_t>(c.utf16.size(), 64)) << c.utf8;
        EXPECT_EQ(wide.IsInline(), c.utf16.size() <= 64) << c.utf8;

        const std::vector<WCHAR> units = Wide(c.utf16);
        const CopiedUString<UTF8> narrow = TranscodeU16ToU8(View(units));
        EXPECT_EQ(Text(narrow), c.utf8);
        EXPECT_EQ(narrow.Capacity(), std::max<std::uint64_t>(c.utf8.size(), 64)) << c.utf8;
        EXPECT_EQ(narrow.IsInline(), c.utf8.size() <= 64) << c.utf8;
    }
}

TEST(TranscodeTest, InvalidUtf8IsRejectedWithTheWindowsCode) {
    const std::vector<std::string> invalid = {"\xFF", "a\x80z", "ab\xE2\x82"};
    for (const std::string& text : invalid) {
        try {
            TranscodeU8ToU16(View(text));
            ADD_FAILURE() << "no error for " << testing::PrintToString(text);
        } catch (const WindowsCharacterSetResult& error) {
            EXPECT_EQ(error.Code(), 1113) << testing::PrintToString(text);
            EXPECT_FALSE(error.Succeeded());
            EXPECT_EQ(error.FunctionName(), "TranscodeU8ToU16");
        }
    }
}

TEST(TranscodeTest, UnpairedSurrogatesAreRejectedWithTheWindowsCode) {
    const std::vector<std::vector<WCHAR>> invalid = {
        {0xD800}, {0xDC00}, {u'a', 0xD83D, u'b'}, {0xDE00, 0xD83D}};
    for (const std::vector<WCHAR>& units : invalid) {
        try {
            TranscodeU16ToU8(View(units));
            ADD_FAILURE() << "no error for " << units.size() << " units";
        } catch (const WindowsCharacterSetResult& error) {
            EXPECT_EQ(error.Code(), 1113);
            EXPECT_EQ(error.FunctionName(), "TranscodeU16ToU8");
        }
    }
}

TEST(TranscodeTest, TheErrorIsCaughtThroughEveryBaseAndDescribesItself) {
    const UString<UTF8> lone("\xFF");
    EXPECT_THROW(TranscodeU8ToU16(lone), CharacterSetResult);
    EXPECT_THROW(TranscodeU8ToU16(lone), ICUResult);
    EXPECT_THROW(TranscodeU8ToU16(lone), std::exception);
    EXPECT_THROW(TranscodeU8ToU16(lone), WindowsPlatform::ExceptionDebuggingInfo);
    try {
        TranscodeU8ToU16(lone);
        FAIL() << "no error";
    } catch (const DebuggableException& error) {
        const std::string message = Text(error.Message());
        EXPECT_TRUE(message.starts_with("WindowsCharacterSetResult: Error 1113 (")) << message;
        EXPECT_TRUE(message.ends_with(") in TranscodeU8ToU16")) << message;
    }
}

// A text longer than the converters can count is refused before anything is read.
TEST(TranscodeTest, TextsBeyondThirtyTwoBitLengthsAreRefused) {
    const char first = 'a';
    try {
        TranscodeU8ToU16(TextBeyond32BitLengths(first));
        FAIL() << "no error";
    } catch (const WindowsCharacterSetResult& error) {
        EXPECT_EQ(error.Code(), 87);
        EXPECT_EQ(error.FunctionName(), "TranscodeU8ToU16");
    }
}

} // namespace
