#include "winapi/internal/fault_injection.h"

#include <atomic>
#include <cstddef>
#include <mutex>

#include "winapi/errors/errors.h"

namespace win32_layer {

namespace {

struct Armed {
    bool armed = false;
    DWORD code = 0;
    unsigned remaining = 0;
};

std::mutex mutex;
// Read and write ask on every call, so an unarmed switch costs them no lock.
std::atomic<bool> anyArmed{false};
Armed armed[static_cast<std::size_t>(LayerCall::Count)];
bool shortWriteArmed = false;
DWORD shortWriteLimit = 0;

} // namespace

void FailNextCall(LayerCall call, DWORD code, unsigned afterCount) {
    const std::lock_guard lock(mutex);
    armed[static_cast<std::size_t>(call)] = {true, code, afterCount};
    anyArmed = true;
}

void ShortenNextWrite(DWORD limit) {
    const std::lock_guard lock(mutex);
    shortWriteArmed = true;
    shortWriteLimit = limit;
    anyArmed = true;
}

void ClearInjectedFailures() {
    const std::lock_guard lock(mutex);
    for (Armed& entry : armed) {
        entry = {};
    }
    shortWriteArmed = false;
    anyArmed = false;
}

bool InjectedFailure(LayerCall call) {
    if (!anyArmed) {
        return false;
    }
    const std::lock_guard lock(mutex);
    Armed& entry = armed[static_cast<std::size_t>(call)];
    if (!entry.armed) {
        return false;
    }
    if (entry.remaining > 0) {
        --entry.remaining;
        return false;
    }
    entry.armed = false;
    SetLastError(entry.code);
    return true;
}

DWORD InjectedWriteLimit(DWORD requested) {
    if (!anyArmed) {
        return requested;
    }
    const std::lock_guard lock(mutex);
    if (!shortWriteArmed) {
        return requested;
    }
    shortWriteArmed = false;
    return requested < shortWriteLimit ? requested : shortWriteLimit;
}

} // namespace win32_layer
