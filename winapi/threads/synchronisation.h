// Critical sections, events and waits.
#pragma once

#include "winapi/base/types.h"
#include "winapi/threads/threads.h"

// Re-entrant like its Windows counterpart; the layer keeps its mutex inside these bytes.
struct CRITICAL_SECTION {
    alignas(8) unsigned char opaque[40];
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;
static_assert(sizeof(CRITICAL_SECTION) == 40);

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// Only unnamed events: a name, which would share the event between processes, is refused with
// ERROR_INVALID_PARAMETER.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                    LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
