// The kernel objects behind the layer's handles and the one table that maps handles to them.
#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "winapi/base/types.h"
#include "winapi/errors/errors.h"

namespace win32_layer {

// Every kind of object a handle can name derives from this. A kind releases what it holds in its
// destructor, which runs once the handle is closed and no call still uses the object.
class KernelObject {
public:
    KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;
    virtual ~KernelObject() = default;
};

// No deadline means no limit.
using Deadline = std::optional<std::chrono::steady_clock::time_point>;

class WaitableObject : public KernelObject {
public:
    // True when the object was signalled before the deadline.
    virtual bool Wait(Deadline deadline) = 0;
};

// What the pseudo-handle names. A process is signalled once it has ended, which no call of its
// own can see, so a wait on it lasts until its deadline.
class CurrentProcess final : public WaitableObject {
public:
    bool Wait(Deadline deadline) override;
};

// The value GetCurrentProcess returns, as on Windows.
inline const HANDLE kCurrentProcessHandle = INVALID_HANDLE_VALUE;

// Returns the new handle, or null with ERROR_NOT_ENOUGH_MEMORY.
HANDLE AddHandle(std::shared_ptr<KernelObject> object);

// Null with ERROR_INVALID_HANDLE when the handle names no object. The pseudo-handle names the
// current process, and removing it leaves it in place.
std::shared_ptr<KernelObject> FindHandle(HANDLE handle);
std::shared_ptr<KernelObject> RemoveHandle(HANDLE handle);

// Null with ERROR_INVALID_HANDLE when the handle names no object of this kind.
template <class Kind>
std::shared_ptr<Kind> FindHandleOf(HANDLE handle) {
    auto object = std::dynamic_pointer_cast<Kind>(FindHandle(handle));
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

} // namespace win32_layer
