#include "winapi/internal/signal_object.h"

namespace win32_layer {

void SignalObject::Set() {
    std::lock_guard lock(mutex_);
    signalled_ = true;
    if (manualReset_) {
        changed_.notify_all();
    } else {
        changed_.notify_one();
    }
}

void SignalObject::Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool SignalObject::Wait(Deadline deadline) {
    std::unique_lock lock(mutex_);
    const auto isSignalled = [this] { return signalled_; };
    if (!deadline) {
        changed_.wait(lock, isSignalled);
    } else if (!signalled_) {
        // A poll must not sleep: a timed kernel wait lasts at least the timer slack even when
        // its deadline has already passed.
        if (std::chrono::steady_clock::now() >= *deadline ||
            !changed_.wait_until(lock, *deadline, isSignalled)) {
            return false;
        }
    }
    if (!manualReset_) {
        signalled_ = false;
    }
    return true;
}

} // namespace win32_layer
