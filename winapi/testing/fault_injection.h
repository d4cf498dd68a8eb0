// Making a layer call fail on purpose, for the tests of what copes with that failure. The Linux
// layer only; tests that use it are Linux-only.
#pragma once

#if defined(_WIN32)
#error "fault injection exists only in the Linux layer"
#endif

#include "winapi/internal/fault_injection.h"

using win32_layer::FailNextCall;
using win32_layer::LayerCall;
using win32_layer::ShortenNextWrite;

// Clears every armed failure when it ends, so that one test's failure never reaches the next.
class ScopedFaultInjection {
public:
    ScopedFaultInjection() = default;
    ScopedFaultInjection(LayerCall call, DWORD code, unsigned afterCount = 0) {
        FailNextCall(call, code, afterCount);
    }
    ScopedFaultInjection(const ScopedFaultInjection&) = delete;
    ScopedFaultInjection& operator=(const ScopedFaultInjection&) = delete;
    ~ScopedFaultInjection() { win32_layer::ClearInjectedFailures(); }
};
