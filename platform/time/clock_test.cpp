#include "platform/time/clock.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

TEST(Clock, CurrentTimeIsWholeSecondsOfTheSystemClock) {
    const TimePoint now = CurrentTime();
    EXPECT_EQ(now % 1'000'000, 0);
    const auto reference = std::chrono::duration_cast<std::chrono::microseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    EXPECT_NEAR(static_cast<double>(now), static_cast<double>(reference), 2e6);
}

} // namespace
