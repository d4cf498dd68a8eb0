#include "tool/process_boundary.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "winapi/testing/target_guards.h"

namespace {

TEST(ProcessExitCodeTest, NoFailureReadsAsSuccess) {
    SKIP_ON_WINDOWS_BECAUSE("a Windows exit code holds all 32 bits");
    const struct {
        std::uint32_t code;
        int exitCode;
    } cases[] = {
        {0, 0},     {13, 13},  {31, 31},        {5, 5},
        {0x105, 5}, {256, 31}, {0x80090005, 5}, {0x80090000, 31},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(ProcessExitCode(entry.code), entry.exitCode) << entry.code;
    }
}

} // namespace
