// The fixed-width time stamp that heads every log line, e.g. "Tue, 19 Mar 2024 14:03:05 +0100".
#pragma once

#include "foundation/numbers/const_data.h"
#include "platform/time/date_time.h"

// 31 bytes for every four-digit year, built without allocating. Longer fields are cut at the
// 31st byte; a separator or sign that finds no room raises DataOverflow. The seconds of the
// offset are not shown.
ConstData<31> FormatDateTime(const DateTime& value);
