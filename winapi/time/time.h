// The system clock, the time-zone state and the performance counter.
//
// On the Linux layer the zone is the C library's, which honours TZ: the biases and names come from
// localtime_r over the current year, and the transition dates are given in the "day-of-week
// occurrence" form (wYear 0; wDay 1-4, or 5 for the last) when both transitions of the year fall
// on one; otherwise wMonth stays 0 and the zone reports TIME_ZONE_ID_UNKNOWN. The counter is the
// monotonic clock in nanoseconds.
#pragma once

#include <cstdint>

#include "winapi/base/types.h"

using LONGLONG = std::int64_t;

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};
using PLARGE_INTEGER = LARGE_INTEGER*;

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

struct TIME_ZONE_INFORMATION {
    LONG Bias;
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
};
using LPTIME_ZONE_INFORMATION = TIME_ZONE_INFORMATION*;

static_assert(sizeof(SYSTEMTIME) == 16 && sizeof(TIME_ZONE_INFORMATION) == 172);
static_assert(sizeof(LARGE_INTEGER) == 8);

inline constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;
inline constexpr DWORD TIME_ZONE_ID_STANDARD = 1;
inline constexpr DWORD TIME_ZONE_ID_DAYLIGHT = 2;
inline constexpr DWORD TIME_ZONE_ID_INVALID = 0xFFFFFFFF;

void GetSystemTime(LPSYSTEMTIME time);
void GetLocalTime(LPSYSTEMTIME time);
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION information);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
