#include <gtest/gtest.h>

#include "foundation/encoding/charset_errors.h"
#include "foundation/encoding/icu_error_name.h"

namespace {

TEST(IcuErrorNameTest, GivesIcuSymbolicNames) {
    EXPECT_EQ(IcuErrorName(0), "U_ZERO_ERROR");
    EXPECT_EQ(IcuErrorName(1), "U_ILLEGAL_ARGUMENT_ERROR");
    EXPECT_EQ(IcuErrorName(15), "U_BUFFER_OVERFLOW_ERROR");
}

TEST(IcuErrorNameTest, ErrorTextsCarryTheSymbolicName) {
    EXPECT_STREQ(ICUResult("ucasemap_utf8ToLower", 1).what(),
                 "UErrorCode=1 [U_ILLEGAL_ARGUMENT_ERROR] in ucasemap_utf8ToLower");
}

} // namespace
