// What any Win32 promises of the clocks and the zone, whichever zone the machine is in.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "winapi/time/system_time_for_test.h"
#include "winapi/win32.h"

namespace {

unsigned DayOfWeek(const SYSTEMTIME& time) {
    using namespace std::chrono;
    return weekday(sys_days(year_month_day(year(time.wYear), month(time.wMonth), day(time.wDay))))
        .c_encoding();
}

std::int32_t CurrentBias(DWORD mode, const TIME_ZONE_INFORMATION& zone) {
    if (mode == TIME_ZONE_ID_DAYLIGHT)
        return zone.Bias + zone.DaylightBias;
    if (mode == TIME_ZONE_ID_STANDARD)
        return zone.Bias + zone.StandardBias;
    return zone.Bias;
}

void ExpectValidFields(const SYSTEMTIME& time) {
    EXPECT_TRUE(time.wMonth >= 1 && time.wMonth <= 12) << time.wMonth;
    EXPECT_TRUE(time.wDay >= 1 && time.wDay <= 31) << time.wDay;
    EXPECT_LE(time.wHour, 23);
    EXPECT_LE(time.wMinute, 59);
    EXPECT_LE(time.wSecond, 59);
    EXPECT_LE(time.wMilliseconds, 999);
    EXPECT_EQ(time.wDayOfWeek, DayOfWeek(time));
}

TEST(SystemClock, AgreesWithTheStandardLibrary) {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    ExpectValidFields(now);
    const auto reference = std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    EXPECT_NEAR(static_cast<double>(SecondsSinceEpoch(now)), static_cast<double>(reference), 2);
}

// Local time is UTC less the bias that the zone reports for the present.
TEST(SystemClock, LocalTimeDiffersFromUtcByTheCurrentBias) {
    TIME_ZONE_INFORMATION zone{};
    const DWORD mode = GetTimeZoneInformation(&zone);
    ASSERT_NE(mode, TIME_ZONE_ID_INVALID) << GetLastError();
    SYSTEMTIME local{};
    GetLocalTime(&local);
    ExpectValidFields(local);
    EXPECT_EQ(LocalSecondsAheadOfUtc(), std::int64_t{CurrentBias(mode, zone)} * -60);
}

TEST(TimeZone, ReportsAConsistentRule) {
    TIME_ZONE_INFORMATION zone{};
    const DWORD mode = GetTimeZoneInformation(&zone);
    ASSERT_TRUE(mode == TIME_ZONE_ID_UNKNOWN || mode == TIME_ZONE_ID_STANDARD ||
                mode == TIME_ZONE_ID_DAYLIGHT)
        << mode;
    // No zone lies more than 14 hours from UTC, nor shifts by more than 2 hours in summer.
    EXPECT_LE(zone.Bias, 14 * 60);
    EXPECT_GE(zone.Bias, -14 * 60);
    EXPECT_LE(zone.DaylightBias, 0);
    EXPECT_GE(zone.DaylightBias, -120);
    EXPECT_EQ(zone.StandardDate.wMonth == 0, zone.DaylightDate.wMonth == 0);
    if (mode == TIME_ZONE_ID_UNKNOWN) {
        EXPECT_EQ(zone.DaylightDate.wMonth, 0);
    } else {
        EXPECT_NE(zone.DaylightDate.wMonth, 0);
    }
    for (const SYSTEMTIME* date : {&zone.StandardDate, &zone.DaylightDate}) {
        if (date->wMonth != 0) {
            EXPECT_LE(date->wMonth, 12);
            EXPECT_LE(date->wDayOfWeek, 6);
            EXPECT_LE(date->wHour, 23);
            // The yearly form; a fixed date would name its year.
            if (date->wYear == 0) {
                EXPECT_TRUE(date->wDay >= 1 && date->wDay <= 5) << date->wDay;
            }
        }
    }
}

TEST(PerformanceCounter, AdvancesAtItsFrequency) {
    LARGE_INTEGER frequency{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    ASSERT_GT(frequency.QuadPart, 0);
    LARGE_INTEGER first{};
    LARGE_INTEGER second{};
    ASSERT_TRUE(QueryPerformanceCounter(&first));
    Sleep(50);
    ASSERT_TRUE(QueryPerformanceCounter(&second));
    const double elapsed =
        static_cast<double>(second.QuadPart - first.QuadPart) / frequency.QuadPart;
    // Sleeps may overrun by far, never fall short by more than a timer tick.
    EXPECT_GE(elapsed, 0.035);
    EXPECT_LT(elapsed, 5.0);
}

TEST(PerformanceCounter, NeverGoesBack) {
    LARGE_INTEGER previous{};
    QueryPerformanceCounter(&previous);
    for (int i = 0; i < 10000; ++i) {
        LARGE_INTEGER next{};
        QueryPerformanceCounter(&next);
        ASSERT_GE(next.QuadPart, previous.QuadPart);
        previous = next;
    }
}

} // namespace
