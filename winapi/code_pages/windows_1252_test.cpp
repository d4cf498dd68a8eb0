#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "winapi/code_pages/conversions_for_test.h"
#include "winapi/testing/target_guards.h"
#include "winapi/testing/wide_string.h"
#include "winapi/win32.h"

namespace {

TEST(Windows1252, ConvertsLatinTextBothWays) {
    EXPECT_EQ(ToNarrow(kWindows1252, 0, WIDE("Gr\u00FC\u00DFe")).text, "\x47\x72\xFC\xDF\x65");
    EXPECT_EQ(ToWide(kWindows1252, 0, "\x47\x72\xFC\xDF\x65").text, WIDE("Gr\u00FC\u00DFe"));
    EXPECT_EQ(ToNarrow(kWindows1252, 0, WIDE("\u20AC")).text, "\x80");
    EXPECT_EQ(ToWide(kWindows1252, 0, "\x80").text, WIDE("\u20AC"));
}

TEST(Windows1252, MapsTheHighControlRange) {
    const std::vector<std::pair<unsigned char, WCHAR>> cases = {
        {0x00, 0x0000}, {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081},
        {0x82, 0x201A}, {0x8A, 0x0160}, {0x8D, 0x008D}, {0x8E, 0x017D},
        {0x8F, 0x008F}, {0x90, 0x0090}, {0x96, 0x2013}, {0x99, 0x2122},
        {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xFF, 0x00FF},
    };
    for (const auto& [byte, unit] : cases) {
        SCOPED_TRACE(static_cast<int>(byte));
        EXPECT_EQ(ToWide(kWindows1252, 0, std::string(1, static_cast<char>(byte))).text,
                  WideString(1, unit));
    }
}

TEST(Windows1252, EveryByteSurvivesARoundTrip) {
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte) {
        bytes += static_cast<char>(byte);
    }
    const Wide wide = ToWide(kWindows1252, MB_ERR_INVALID_CHARS, bytes);
    ASSERT_EQ(wide.text.size(), 256u);
    const Narrow back = ToNarrow(kWindows1252, 0, wide.text, nullptr, true);
    EXPECT_EQ(back.text, bytes);
    EXPECT_EQ(back.usedDefault, FALSE);
}

struct MissingCharacterCase {
    const char* name;
    WideString text;
    const char* defaultChar;
    std::string expected;
};

void ExpectDefaultCharacters(const std::vector<MissingCharacterCase>& cases) {
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const Narrow result = ToNarrow(kWindows1252, 0, test.text, test.defaultChar, true);
        EXPECT_EQ(result.text, test.expected);
        EXPECT_EQ(result.usedDefault, TRUE);
    }
}

TEST(Windows1252, MissingCharactersBecomeTheDefaultCharacter) {
    ExpectDefaultCharacters({
        {"CJK", WIDE("a\u65E5b"), nullptr, "a?b"},
        {"given default", WIDE("a\u65E5b"), "#", "a#b"},
        {"C1 control that 0x80 does not hold", WIDE("\u0080"), nullptr, "?"},
        {"each unit of a surrogate pair", WIDE("\U0001F600"), nullptr, "??"},
        {"unpaired surrogate", WIDE("\xD800x"), nullptr, "?x"},
    });
}

// Characters for which Windows has a look-alike in the code page.
const WideString kLookAlikes = WIDE("\u0100\u0141\u221E");

TEST(Windows1252, NoLookAlikeWhenTheCallerRefusesThem) {
    const Narrow result = ToNarrow(kWindows1252, WC_NO_BEST_FIT_CHARS, kLookAlikes, nullptr, true);
    EXPECT_EQ(result.text, "???");
    EXPECT_EQ(result.usedDefault, TRUE);
}

TEST(Windows1252, NoLookAlikeEvenUnasked) {
    SKIP_ON_WINDOWS_BECAUSE("Windows puts a look-alike for some characters outside the code "
                            "page unless told not to; the layer has no such table");
    EXPECT_EQ(ToNarrow(kWindows1252, 0, kLookAlikes).text, "???");
}

} // namespace
