// A switch that makes a chosen layer call fail with a chosen code, so that tests reach the
// failure paths of their callers. The Linux layer only: Windows has no such switch.
#pragma once

#include "winapi/base/types.h"

namespace win32_layer {

enum class LayerCall {
    CreateFileW,
    ReadFile,
    WriteFile,
    MoveFileExW,
    DeleteFileW,
    GetTempFileNameW,
    CreateDirectoryW,
    GetNamedSecurityInfoW,
    SetNamedSecurityInfoW,
    CryptProtectData,
    CryptUnprotectData,
    GetTimeZoneInformation,
    WSAStartup,
    Count, // not a call: the number of calls above
};

// The call fails once with `code`, after `afterCount` calls of it have passed.
void FailNextCall(LayerCall call, DWORD code, unsigned afterCount = 0);
// The next WriteFile writes at most `limit` bytes and reports success, as a write to a pipe may.
void ShortenNextWrite(DWORD limit);
void ClearInjectedFailures();

// True, with the last error set, when this call of `call` is the one to fail.
bool InjectedFailure(LayerCall call);
// The count that this write may transfer: `requested`, unless a shortened write is armed.
DWORD InjectedWriteLimit(DWORD requested);

} // namespace win32_layer
