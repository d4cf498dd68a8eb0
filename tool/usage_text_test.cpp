#include "tool/usage_text.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/format/format.h"
#include "foundation/testing/texts.h"

namespace {

TEST(UsageTextTest, ConsoleLinesAreExact) {
    EXPECT_EQ(Text(ConsoleUsageText[0]), "Usage: ");
    EXPECT_EQ(Text(ConsoleUsageText[1]),
              "   /sitePvkLocation:<absolute_path> /sitePvkPassword:<password> { /decrypt | "
              "/encrypt } /dirIn:<absolute_path> /dirOut:<absolute_path> [ /hideUI ] ");
}

TEST(UsageTextTest, BoxTemplateRendersBracesAndLineFeeds) {
    EXPECT_EQ(Text(BoxUsageTemplate),
              "Usage: \n/sitePvkLocation:<absolute_path> /sitePvkPassword:<password> {_obrace} "
              "/decrypt | /encrypt {_cbrace} /dirIn:<absolute_path> /dirOut:<absolute_path> [ "
              "/hideUI ]\n");
    EXPECT_EQ(Text(Format(BoxUsageTemplate)),
              "Usage: \n/sitePvkLocation:<absolute_path> /sitePvkPassword:<password> { /decrypt | "
              "/encrypt } /dirIn:<absolute_path> /dirOut:<absolute_path> [ /hideUI ]\n");
}

} // namespace
