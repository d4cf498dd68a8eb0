// The COM support classes: on Windows the SDK's, on Linux the layer's stand-in, as no COM exists
// there.
#pragma once

#if defined(_WIN32)
#include "winapi/win32.h"

#include <comdef.h>
#else
#include "winapi/com/com_error.h"
#endif
