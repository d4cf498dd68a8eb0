// Threads, thread-local storage, critical sections, events and waits.
#pragma once

#include "winapi/posix/types.h"

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD TLS_OUT_OF_INDEXES = 0xFFFFFFFF;

using _beginthreadex_proc_type = unsigned (*)(void*);
// Returns 0 and sets errno when the thread cannot be started; flags other than 0 (a suspended
// start) are refused with EINVAL.
std::uintptr_t _beginthreadex(void* security, unsigned stackSize, _beginthreadex_proc_type start,
                              void* argument, unsigned flags, unsigned* threadId);

DWORD GetCurrentThreadId();
void Sleep(DWORD milliseconds);

DWORD TlsAlloc();
LPVOID TlsGetValue(DWORD index);
BOOL TlsSetValue(DWORD index, LPVOID value);
BOOL TlsFree(DWORD index);

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

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                    LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
