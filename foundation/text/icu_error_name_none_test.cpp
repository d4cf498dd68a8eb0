#include <gtest/gtest.h>

#include "foundation/text/charset_errors.h"
#include "foundation/text/icu_error_name.h"

namespace {

TEST(IcuErrorNameTest, NamesTheNumberWithoutIcu) {
    EXPECT_EQ(IcuErrorName(1), "ICU status 1");
    EXPECT_EQ(IcuErrorName(-127), "ICU status -127");
    EXPECT_STREQ(ICUResult("ucasemap_utf8ToLower", 15).what(),
                 "UErrorCode=15 [ICU status 15] in ucasemap_utf8ToLower");
}

} // namespace
