// The local offset from UTC, from a process-wide copy of the operating system's time-zone state.
#pragma once

#include <cstdint>

#include "foundation/threads/critical_section.h"
#include "platform/time/date_time.h"
#include "winapi/win32.h"

struct TimeZoneState {
    // What GetTimeZoneInformation returned: TIME_ZONE_ID_UNKNOWN, _STANDARD or _DAYLIGHT.
    DWORD mode = TIME_ZONE_ID_UNKNOWN;
    TIME_ZONE_INFORMATION information = {};
};

// Minutes such that UTC = local time + bias.
std::int32_t CurrentBias(const TimeZoneState& state);

// Reads the operating system on the first query only. Safe from any thread; its lock may be
// taken while the log manager's is held, and nothing takes the log manager's under it.
class TimeZoneCache {
public:
    TimeZoneCache() = default;
    TimeZoneCache(const TimeZoneCache&) = delete;
    TimeZoneCache& operator=(const TimeZoneCache&) = delete;

    // The process's one cache, created on first use.
    static TimeZoneCache& Instance();

    // Raises Windows::Error when the query fails with a last error; the cache then stays
    // unread, so the next call asks again.
    TimeZoneState Get();

private:
    CriticalSection section_;
    TimeZoneState state_;
    bool valid_ = false;
    bool refreshRequested_ = true;
};

// The offset of the current zone state. A zone that cannot be read gives +0000 without an error,
// so that a time stamp never fails, even inside a destructor; the next call asks again.
UtcOffset LocalUtcOffset(TimeZoneCache& cache);
UtcOffset LocalUtcOffset();
