// Guards for the tests whose expectation holds on one target only. Each names its reason, which
// the skip reports.
#pragma once

#include <gtest/gtest.h>

#include "winapi/testing/wine.h"

// The layer differs from Windows on purpose, or shows what only the layer has: Linux only.
#if defined(_WIN32)
#define SKIP_ON_WINDOWS_BECAUSE(reason) GTEST_SKIP() << "Linux layer only: " << (reason)
#else
#define SKIP_ON_WINDOWS_BECAUSE(reason) static_cast<void>(reason)
#endif

// Wine departs here from what Windows documents: skipped under Wine only.
#define SKIP_UNDER_WINE_BECAUSE(reason)                                                            \
    if (!RunningUnderWine()) {                                                                     \
    } else                                                                                         \
        GTEST_SKIP() << "Wine differs from Windows: " << (reason)
