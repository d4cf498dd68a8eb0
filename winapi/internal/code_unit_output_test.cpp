#include "winapi/internal/code_unit_output.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A size query and a too-small buffer both depend on the count going on past the capacity.
TEST(CodeUnitOutput, CountsEveryUnitButStoresOnlyWhatFits) {
    char buffer[4] = {'x', 'x', 'x', 'x'};
    win32_layer::CodeUnitOutput<char> output(buffer, 2);
    for (const char unit : {'a', 'b', 'c'}) {
        output.Put(unit);
    }
    EXPECT_EQ(output.Count(), 3u);
    EXPECT_EQ(std::string(buffer, 4), "abxx");

    win32_layer::CodeUnitOutput<char16_t> query(nullptr, 0);
    query.Put(u'a');
    EXPECT_EQ(query.Count(), 1u);
}

} // namespace
