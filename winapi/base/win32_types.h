// The Win32 base types alone, for code that calls nothing of the API: on Windows the SDK's, on
// Linux the layer's. WIDE makes a literal of WCHAR.
#pragma once

#if defined(_WIN32)
#include <windef.h>
#define WIDE(text) L##text
#else
#include "winapi/base/types.h"
#define WIDE(text) u##text
#endif
