#include "platform/time/time_zone.h"

#include "foundation/encoding/windows_error.h"

std::int32_t CurrentBias(const TimeZoneState& state) {
    const TIME_ZONE_INFORMATION& zone = state.information;
    if (state.mode == TIME_ZONE_ID_DAYLIGHT && zone.DaylightDate.wMonth != 0)
        return zone.Bias + zone.DaylightBias;
    if (state.mode == TIME_ZONE_ID_STANDARD && zone.StandardDate.wMonth != 0)
        return zone.Bias + zone.StandardBias;
    return zone.Bias;
}

TimeZoneCache& TimeZoneCache::Instance() {
    static TimeZoneCache cache;
    return cache;
}

TimeZoneState TimeZoneCache::Get() {
    const CriticalSectionLock lock(section_);
    if (!valid_ || refreshRequested_) {
        TimeZoneState read;
        read.mode = GetTimeZoneInformation(&read.information);
        // A failure without a last error is returned as it is, with the zeroed record, and kept
        // out of the cache, so that the next query asks again.
        if (read.mode == TIME_ZONE_ID_INVALID) {
            ThrowLastError();
            return read;
        }
        state_ = read;
        valid_ = true;
        refreshRequested_ = false;
    }
    return state_;
}

UtcOffset LocalUtcOffset(TimeZoneCache& cache) {
    TimeZoneState state;
    try {
        state = cache.Get();
    } catch (const Windows::Error&) {
        return UtcOffset{};
    }
    return UtcOffset::OfSeconds(CurrentBias(state) * -60);
}

UtcOffset LocalUtcOffset() {
    return LocalUtcOffset(TimeZoneCache::Instance());
}
