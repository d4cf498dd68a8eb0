// The wide number parsers against the C runtime's: the same texts give the same values on both
// targets.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "winapi/testing/target_guards.h"
#include "winapi/testing/wide_string.h"

namespace {

WideString W(const std::u16string& text) {
    return WideString(text.begin(), text.end());
}

TEST(WideNumbers, WtoiReadsASignedDecimalPrefix) {
    struct Case {
        std::u16string text;
        int value;
    };
    const Case cases[] = {
        {u"3", 3},
        {u"  \t\n42abc", 42},
        {u"+7", 7},
        {u"-15", -15},
        {u"", 0},
        {u"x1", 0},
        {u"- 1", 0},
        {u"2147483647", INT_MAX},
        {u"99999999999999999999", INT_MAX},
        {u"-99999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(_wtoi(W(c.text).c_str()), c.value) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(WideNumbers, WtoiReadsOnlyAsciiDigits) {
    SKIP_ON_WINDOWS_BECAUSE("the C runtime reads the decimal digits of other scripts too");
    EXPECT_EQ(_wtoi(W(u"\u0663").c_str()), 0);
    EXPECT_EQ(_wtoi(W(u"4\uFF12").c_str()), 4);
}

TEST(WideNumbers, WcstodReadsTheLongestNumberAndReportsItsEnd) {
    struct Case {
        std::u16string text;
        double value;
        std::size_t used;
    };
    const Case cases[] = {
        {u"19045", 19045, 5},
        {u"  22631.4169 rest", 22631.4169, 12},
        {u"-12.5e2x", -1250, 7},
        {u"1e", 1, 1},
        {u"", 0, 0},
        {u"abc", 0, 0},
        {u"   ", 0, 0},
        {u"12\u00e934", 12, 2},
        {u"0x10", 16, 4},
    };
    for (const Case& c : cases) {
        const WideString text = W(c.text);
        WCHAR* end = nullptr;
        EXPECT_EQ(wcstod(text.c_str(), &end), c.value) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(static_cast<std::size_t>(end - text.c_str()), c.used)
            << std::string(c.text.begin(), c.text.end());
    }
}

TEST(WideNumbers, WcstodReadsValuesBeyondEveryIntegerType) {
    EXPECT_TRUE(std::isinf(wcstod(W(u"inf").c_str(), nullptr)));
    EXPECT_TRUE(std::isnan(wcstod(W(u"nan").c_str(), nullptr)));
    EXPECT_EQ(wcstod(W(u"1e300").c_str(), nullptr), 1e300);
    EXPECT_TRUE(std::isinf(wcstod(W(u"1e999").c_str(), nullptr)));
}

} // namespace
