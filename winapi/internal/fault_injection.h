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
    GetTempFileNameW,
    CreateDirectoryW,
    Count, // not a call: the number of calls above
};

// The call fails once with `code`, after `afterCount` calls of it have passed.
void FailNextCall(LayerCall call, DWORD code, unsigned afterCount = 0);
void ClearInjectedFailures();

// True, with the last error set, when this call of `call` is the one to fail.
bool InjectedFailure(LayerCall call);

} // namespace win32_layer
