#include "platform/time/time_zone.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "winapi/time/system_time_for_test.h"

namespace {

TimeZoneState State(DWORD mode, WORD standardMonth, WORD daylightMonth) {
    TimeZoneState state;
    state.mode = mode;
    state.information.Bias = -60;
    state.information.StandardBias = 15;
    state.information.DaylightBias = -60;
    state.information.StandardDate.wMonth = standardMonth;
    state.information.DaylightDate.wMonth = daylightMonth;
    return state;
}

TEST(TimeZone, CurrentBiasFollowsTheModeAndItsRule) {
    const struct {
        DWORD mode;
        WORD standardMonth;
        WORD daylightMonth;
        std::int32_t bias;
    } cases[] = {
        {TIME_ZONE_ID_DAYLIGHT, 10, 3, -120},
        {TIME_ZONE_ID_STANDARD, 10, 3, -45},
        // A mode without a rule date for it uses the bias alone.
        {TIME_ZONE_ID_DAYLIGHT, 10, 0, -60},
        {TIME_ZONE_ID_STANDARD, 0, 3, -60},
        {TIME_ZONE_ID_UNKNOWN, 10, 3, -60},
        {TIME_ZONE_ID_INVALID, 10, 3, -60},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CurrentBias(State(c.mode, c.standardMonth, c.daylightMonth)), c.bias)
            << c.mode << " " << c.standardMonth << " " << c.daylightMonth;
}

// Whatever the machine's zone, the offset is the one between its local and UTC clocks.
TEST(TimeZone, LocalOffsetIsTheLocalClocksLead) {
    const UtcOffset offset = LocalUtcOffset();
    EXPECT_EQ(offset.seconds, LocalSecondsAheadOfUtc());
    EXPECT_EQ(offset.microseconds, std::int64_t{offset.seconds} * 1'000'000);
    EXPECT_EQ(offset.seconds % 60, 0);
}

TEST(TimeZone, CacheHoldsWhatTheSystemReports) {
    TimeZoneCache cache;
    TIME_ZONE_INFORMATION expected{};
    const DWORD mode = GetTimeZoneInformation(&expected);
    const TimeZoneState state = cache.Get();
    EXPECT_EQ(state.mode, mode);
    EXPECT_EQ(state.information.Bias, expected.Bias);
    EXPECT_EQ(state.information.DaylightBias, expected.DaylightBias);
    EXPECT_EQ(state.information.DaylightDate.wMonth, expected.DaylightDate.wMonth);
    EXPECT_EQ(&TimeZoneCache::Instance(), &TimeZoneCache::Instance());
}

// Threads that all fill and read one new cache at once: the race detector checks the guard.
TEST(TimeZone, CacheIsSharedSafelyBetweenThreads) {
    TimeZoneCache reference;
    const UtcOffset expected = LocalUtcOffset(reference);
    TimeZoneCache cache;
    std::vector<std::thread> threads;
    std::vector<int> mismatches(8, 0);
    for (int& count : mismatches) {
        threads.emplace_back([&cache, &count, expected] {
            for (int i = 0; i < 200; ++i)
                count += LocalUtcOffset(cache).seconds != expected.seconds;
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const int count : mismatches)
        EXPECT_EQ(count, 0);
}

} // namespace
