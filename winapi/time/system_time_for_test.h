// Seconds since 1970 of a SYSTEMTIME, by the standard library's calendar rather than the
// system's own.
#pragma once

#include <chrono>
#include <cstdint>

#include "winapi/win32.h"

inline std::int64_t SecondsSinceEpoch(const SYSTEMTIME& time) {
    using namespace std::chrono;
    const sys_days date = year_month_day(year(time.wYear), month(time.wMonth), day(time.wDay));
    return std::int64_t{date.time_since_epoch().count()} * 86400 + time.wHour * 3600 +
           time.wMinute * 60 + time.wSecond;
}

// Local and UTC readings of one second, so that their difference is the zone's offset.
inline std::int64_t LocalSecondsAheadOfUtc() {
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    SYSTEMTIME after{};
    do {
        GetSystemTime(&utc);
        GetLocalTime(&local);
        GetSystemTime(&after);
    } while (SecondsSinceEpoch(after) != SecondsSinceEpoch(utc));
    return SecondsSinceEpoch(local) - SecondsSinceEpoch(utc);
}
