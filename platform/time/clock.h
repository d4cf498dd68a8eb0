// Readings of the operating system's clocks.
#pragma once

#include "platform/time/date_time.h"

// The current UTC time in whole seconds.
TimePoint CurrentTime();
