#include "foundation/start_up/charset_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/testing/texts.h"

namespace {

TEST(CharsetNamesTest, SetOrdersTheNamesBytewise) {
    std::vector<CopiedUString<UTF8>> names;
    for (const char* text : kWindowsCharsetNames)
        names.emplace_back(UString<UTF8>(text));
    const CharsetNameSet set(names.begin(), names.end());

    std::vector<std::string> ordered;
    for (const CopiedUString<UTF8>& name : set)
        ordered.push_back(Text(name));
    EXPECT_EQ(ordered, (std::vector<std::string>{"windows-1250", "windows-1251", "windows-1252",
                                                 "windows-1253", "windows-1254", "windows-1255",
                                                 "windows-1256", "windows-1257", "windows-1258",
                                                 "windows-874", "windows-932", "windows-936",
                                                 "windows-949", "windows-950"}));
}

} // namespace
