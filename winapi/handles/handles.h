// Closing the handles that the layer's kernel objects hand out.
#pragma once

#include "winapi/base/types.h"

// Closing the current process's pseudo-handle succeeds and changes nothing, as on Windows.
BOOL CloseHandle(HANDLE handle);
