// The signalled-or-not state that events and threads share.
#pragma once

#include <condition_variable>
#include <mutex>

#include "winapi/internal/handle_table.h"

namespace win32_layer {

class SignalObject : public WaitableObject {
public:
    // An automatic reset lets one successful wait through per Set.
    SignalObject(bool manualReset, bool signalled)
        : manualReset_(manualReset), signalled_(signalled) {}

    void Set();
    void Reset();
    bool Wait(Deadline deadline) override;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    const bool manualReset_;
    bool signalled_;
};

} // namespace win32_layer
