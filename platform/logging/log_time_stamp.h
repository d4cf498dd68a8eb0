// The time stamp that heads every log line: the current local wall-clock time with its offset.
#pragma once

#include "foundation/numbers/const_data.h"
#include "platform/time/time_zone.h"

// A zone that cannot be read gives +0000, so formatting a line never fails on the clock.
ConstData<31> LogTimeStamp(TimeZoneCache& zone);
ConstData<31> LogTimeStamp();
