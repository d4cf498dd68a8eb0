#include "platform/logging/log_time_stamp.h"

#include "platform/time/clock.h"
#include "platform/time/time_stamp.h"

ConstData<31> LogTimeStamp(TimeZoneCache& zone) {
    return FormatDateTime(DateTime(CurrentTime(), LocalUtcOffset(zone)));
}

ConstData<31> LogTimeStamp() {
    return LogTimeStamp(TimeZoneCache::Instance());
}
