// The zone as the Linux layer reads it from TZ, and its injected failure.
#include <gtest/gtest.h>

#include <string>

#include "winapi/testing/fault_injection.h"
#include "winapi/time/system_time_for_test.h"
#include "winapi/time/time_zone_for_test.h"
#include "winapi/win32.h"

namespace {

struct RuleDate {
    WORD month;
    WORD dayOfWeek;
    WORD occurrence;
    WORD hour;
};

struct ZoneCase {
    const char* rule;
    LONG bias;
    LONG daylightBias;
    const char* standardName;
    const char* daylightName;
    RuleDate standardDate;
    RuleDate daylightDate;
};

std::string Narrow(const WCHAR* text) {
    std::string result;
    for (; *text != u'\0'; ++text)
        result += static_cast<char>(*text);
    return result;
}

void ExpectRuleDate(const SYSTEMTIME& date, const RuleDate& expected) {
    EXPECT_EQ(date.wYear, 0);
    EXPECT_EQ(date.wMonth, expected.month);
    EXPECT_EQ(date.wDayOfWeek, expected.dayOfWeek);
    EXPECT_EQ(date.wDay, expected.occurrence);
    EXPECT_EQ(date.wHour, expected.hour);
    EXPECT_EQ(date.wMinute, 0);
    EXPECT_EQ(date.wSecond, 0);
    EXPECT_EQ(date.wMilliseconds, 0);
}

class TimeZoneLayer : public testing::TestWithParam<ZoneCase> {};

// Each transition is the wall-clock time before it: into summer time on the standard clock, out
// of it on the summer clock.
const ZoneCase kZones[] = {
    {"CET-1CEST,M3.5.0,M10.5.0/3", -60, -60, "CET", "CEST", {10, 0, 5, 3}, {3, 0, 5, 2}},
    {"EST5EDT,M3.2.0,M11.1.0", 300, -60, "EST", "EDT", {11, 0, 1, 2}, {3, 0, 2, 2}},
    {"AEST-10AEDT,M10.1.0,M4.1.0/3", -600, -60, "AEST", "AEDT", {4, 0, 1, 3}, {10, 0, 1, 2}},
    {"JST-9", -540, 0, "JST", "JST", {}, {}},
    {"IST-5:30", -330, 0, "IST", "IST", {}, {}},
    {"UTC0", 0, 0, "UTC", "UTC", {}, {}},
};

TEST_P(TimeZoneLayer, ReadsTheRuleOfTz) {
    const ZoneCase& zone = GetParam();
    const ScopedTimeZone chosen(zone.rule);
    TIME_ZONE_INFORMATION information{};
    const DWORD mode = GetTimeZoneInformation(&information);
    EXPECT_EQ(information.Bias, zone.bias);
    EXPECT_EQ(information.StandardBias, 0);
    EXPECT_EQ(information.DaylightBias, zone.daylightBias);
    EXPECT_EQ(Narrow(information.StandardName), zone.standardName);
    EXPECT_EQ(Narrow(information.DaylightName), zone.daylightName);
    ExpectRuleDate(information.StandardDate, zone.standardDate);
    ExpectRuleDate(information.DaylightDate, zone.daylightDate);
    if (zone.daylightBias == 0) {
        EXPECT_EQ(mode, TIME_ZONE_ID_UNKNOWN);
        return;
    }
    // Which half of the year it is now decides the mode, as the C library's local clock shows.
    ASSERT_TRUE(mode == TIME_ZONE_ID_STANDARD || mode == TIME_ZONE_ID_DAYLIGHT) << mode;
    const LONG bias = zone.bias + (mode == TIME_ZONE_ID_DAYLIGHT ? zone.daylightBias : 0);
    EXPECT_EQ(LocalSecondsAheadOfUtc(), bias * -60);
}

INSTANTIATE_TEST_SUITE_P(PosixRules, TimeZoneLayer, testing::ValuesIn(kZones));

TEST(TimeZoneLayerFailure, ReportsTheInjectedError) {
    const ScopedFaultInjection failure(LayerCall::GetTimeZoneInformation, ERROR_NOT_ENOUGH_MEMORY);
    TIME_ZONE_INFORMATION information{};
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetTimeZoneInformation(&information), TIME_ZONE_ID_INVALID);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    // Only the one call fails.
    EXPECT_NE(GetTimeZoneInformation(&information), TIME_ZONE_ID_INVALID);
}

} // namespace
