// Threads and the process they run in.
#pragma once

#include "winapi/base/types.h"

using _beginthreadex_proc_type = unsigned (*)(void*);
// Returns 0 and sets errno when the thread cannot be started; flags other than 0 (a suspended
// start) are refused with EINVAL.
std::uintptr_t _beginthreadex(void* security, unsigned stackSize, _beginthreadex_proc_type start,
                              void* argument, unsigned flags, unsigned* threadId);

DWORD GetCurrentThreadId();

// The pseudo-handle that names the current process in every call that takes a handle.
HANDLE GetCurrentProcess();

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
void Sleep(DWORD milliseconds);
