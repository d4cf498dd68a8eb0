// The one header through which the system reaches the Win32 API. On Windows it is the SDK; on
// Linux it is this project's own layer, which declares the subset the system uses.
#pragma once

#if defined(_WIN32)
#include <windows.h>

#include <process.h>
#define WIDE(text) L##text
#else
#include "winapi/posix/code_pages.h"
#include "winapi/posix/errors.h"
#include "winapi/posix/handles.h"
#include "winapi/posix/threads.h"
#include "winapi/posix/types.h"
#define WIDE(text) u##text
#endif

#include "winapi/thread_naming.h"
