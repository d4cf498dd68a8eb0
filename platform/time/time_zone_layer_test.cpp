// Local offsets in zones chosen through TZ, and zone queries that fail: the Linux layer only.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "foundation/encoding/windows_error.h"
#include "platform/time/clock.h"
#include "platform/time/time_stamp.h"
#include "platform/time/time_zone.h"
#include "winapi/testing/fault_injection.h"
#include "winapi/time/system_time_for_test.h"
#include "winapi/time/time_zone_for_test.h"

namespace {

std::string StampNow(TimeZoneCache& cache) {
    const ConstData<31> text = FormatDateTime(DateTime(CurrentTime(), LocalUtcOffset(cache)));
    return std::string(text.c_str(), text.Length());
}

TEST(TimeZoneLayer, OffsetsOfChosenZones) {
    const struct {
        const char* rule;
        std::int32_t standard;
        std::int32_t summer;
    } cases[] = {
        {"JST-9", 32'400, 32'400},
        {"IST-5:30", 19'800, 19'800},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 3600, 7200},
        {"AEST-10AEDT,M10.1.0,M4.1.0/3", 36'000, 39'600},
        {"EST5EDT,M3.2.0,M11.1.0", -18'000, -14'400},
    };
    for (const auto& c : cases) {
        const ScopedTimeZone zone(c.rule);
        TimeZoneCache cache;
        const UtcOffset offset = LocalUtcOffset(cache);
        EXPECT_TRUE(offset.seconds == c.standard || offset.seconds == c.summer)
            << c.rule << ": " << offset.seconds;
        EXPECT_EQ(offset.seconds, LocalSecondsAheadOfUtc()) << c.rule;
    }
}

TEST(TimeZoneLayer, StampShowsTheZonesOffsetAndLocalClock) {
    const ScopedTimeZone zone("JST-9");
    TimeZoneCache cache;
    SYSTEMTIME local{};
    std::string stamp;
    SYSTEMTIME after{};
    do {
        GetLocalTime(&local);
        stamp = StampNow(cache);
        GetLocalTime(&after);
    } while (after.wSecond != local.wSecond);
    char clock[32];
    std::snprintf(clock, sizeof clock, " %02u:%02u:%02u +0900", local.wHour, local.wMinute,
                  local.wSecond);
    ASSERT_EQ(stamp.size(), 31u);
    EXPECT_EQ(stamp.substr(16), clock);
}

TEST(TimeZoneLayer, ZoneIsReadOnceAndKept) {
    TimeZoneCache cache;
    {
        const ScopedTimeZone zone("JST-9");
        EXPECT_EQ(LocalUtcOffset(cache).seconds, 32'400);
    }
    const ScopedTimeZone later("UTC0");
    EXPECT_EQ(LocalUtcOffset(cache).seconds, 32'400);
}

TEST(TimeZoneLayer, FailedQueryRaisesAndLeavesTheCacheUnread) {
    const ScopedTimeZone zone("JST-9");
    TimeZoneCache cache;
    {
        const ScopedFaultInjection failure(LayerCall::GetTimeZoneInformation, ERROR_ACCESS_DENIED);
        try {
            cache.Get();
            ADD_FAILURE() << "no error";
        } catch (const Windows::Error& error) {
            EXPECT_EQ(error.Code(), ERROR_ACCESS_DENIED);
        }
    }
    EXPECT_EQ(cache.Get().information.Bias, -540);
}

// A stamp never fails for the zone's sake: it shows +0000 until a query succeeds.
TEST(TimeZoneLayer, FailedQueryGivesUtcAndTheNextCallAsksAgain) {
    for (const DWORD code : {ERROR_NOT_ENOUGH_MEMORY, ERROR_SUCCESS}) {
        const ScopedTimeZone zone("JST-9");
        TimeZoneCache cache;
        {
            const ScopedFaultInjection failure(LayerCall::GetTimeZoneInformation, code);
            const UtcOffset offset = LocalUtcOffset(cache);
            EXPECT_EQ(offset.seconds, 0) << code;
            EXPECT_EQ(offset.microseconds, 0) << code;
        }
        EXPECT_EQ(LocalUtcOffset(cache).seconds, 32'400) << code;
    }
}

// Time stamps are formatted inside destructors, where an error would end the process.
TEST(TimeZoneLayer, StampInADestructorSurvivesAFailedQuery) {
    struct StampsWhenDestroyed {
        TimeZoneCache& cache;
        std::string& stamp;
        ~StampsWhenDestroyed() { stamp = StampNow(cache); }
    };
    TimeZoneCache cache;
    std::string stamp;
    {
        const ScopedFaultInjection failure(LayerCall::GetTimeZoneInformation, ERROR_GEN_FAILURE);
        const StampsWhenDestroyed stamper{cache, stamp};
    }
    EXPECT_EQ(stamp.substr(25), " +0000");
}

} // namespace
