#include "foundation/encoding/case_mapping.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/encoding/charset_errors.h"
#include "foundation/testing/oversized_text.h"
#include "foundation/testing/texts.h"

namespace {

std::string Repeated(const std::string& piece, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

struct LowerCase {
    const char* name;
    std::string text;
    std::string lower;
    std::uint64_t capacity;
};

TEST(LowerCaseUtf8Test, LowerCasesWithTheRootLocale) {
    const std::vector<LowerCase> cases = {
        {"empty", "", "", 64},
        {"ascii", "ABC", "abc", 64},
        {"already lower", "abc-1_", "abc-1_", 64},
        {"umlauts", "\xC3\x84\xC3\x96", "\xC3\xA4\xC3\xB6", 64},
        {"no Turkish dotless i", "I", "i", 64},
        {"sharp s stays",
         "GR\xC3\x9C\xC3\x9F"
         "E",
         "gr\xC3\xBC\xC3\x9F"
         "e",
         64},
        // Kelvin sign, 3 bytes, becomes a 1-byte k.
        {"shorter result", "\xE2\x84\xAA", "k", 64},
        {"exact fill of a 200-byte block", std::string(200, 'A'), std::string(200, 'a'), 200},
        // Each U+0130 (2 bytes) becomes i + U+0307 (3 bytes): the first call overflows.
        {"overflow retry", Repeated("\xC4\xB0", 40), Repeated("i\xCC\x87", 40), 120},
    };
    for (const LowerCase& c : cases) {
        const CopiedUString<UTF8> lower = LowerCaseUtf8(View(c.text));
        EXPECT_EQ(Text(lower), c.lower) << c.name;
        EXPECT_EQ(lower.Capacity(), c.capacity) << c.name;
    }
}

TEST(LowerCaseUtf8Test, ACaseMapServesSeveralTexts) {
    const IcuCaseMap map("");
    EXPECT_EQ(Text(map.ToLower("QU")), "qu");
    EXPECT_EQ(Text(map.ToLower("\xC3\x89T\xC3\x89")), "\xC3\xA9t\xC3\xA9");
}

TEST(LowerCaseUtf8Test, AFailingOpenRaisesTheIcuStatus) {
    // ICU has no room for a locale ID this long.
    const std::string localeId(200, 'a');
    try {
        const IcuCaseMap map(localeId.c_str());
        FAIL() << "no error";
    } catch (const ICUResult& error) {
        EXPECT_EQ(error.Code(), U_BUFFER_OVERFLOW_ERROR);
        EXPECT_EQ(error.FunctionName(), "ucasemap_open");
        EXPECT_STREQ(error.what(), "UErrorCode=15 [U_BUFFER_OVERFLOW_ERROR] in ucasemap_open");
    }
}

// A text longer than ICU can count is refused before anything is read.
TEST(LowerCaseUtf8Test, TextsBeyondThirtyTwoBitLengthsAreRefused) {
    const char first = 'A';
    try {
        LowerCaseUtf8(TextBeyond32BitLengths(first));
        FAIL() << "no error";
    } catch (const ICUResult& error) {
        EXPECT_EQ(error.Code(), U_ILLEGAL_ARGUMENT_ERROR);
        EXPECT_EQ(error.FunctionName(), "ucasemap_utf8ToLower");
    }
}

} // namespace
