// Thread-local storage indexes.
#pragma once

#include "winapi/base/types.h"

inline constexpr DWORD TLS_OUT_OF_INDEXES = 0xFFFFFFFF;

// Stricter than Windows: an index that is not allocated fails with ERROR_INVALID_PARAMETER.
DWORD TlsAlloc();
LPVOID TlsGetValue(DWORD index);
BOOL TlsSetValue(DWORD index, LPVOID value);
BOOL TlsFree(DWORD index);
