// The kernel objects behind the layer's handles and the one table that maps handles to them.
#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "winapi/posix/errors.h"
#include "winapi/posix/types.h"

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

// Returns the new handle, or null with ERROR_NOT_ENOUGH_MEMORY.
HANDLE AddHandle(std::shared_ptr<KernelObject> object);

// Null with ERROR_INVALID_HANDLE when the handle names no object.
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
