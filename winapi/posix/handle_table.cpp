#include "winapi/posix/handle_table.h"

#include <cstdint>
#include <mutex>
#include <new>
#include <unordered_map>
#include <utility>

#include "winapi/posix/handles.h"
#include "winapi/posix/threads.h"

namespace win32_layer {
namespace {

class HandleTable {
public:
    HANDLE Add(std::shared_ptr<KernelObject> object) {
        std::lock_guard lock(mutex_);
        // Values only grow, so a stale handle never reaches a later object; steps of 4 keep them
        // clear of null and of INVALID_HANDLE_VALUE, like the handles of Windows.
        const std::uintptr_t value = next_;
        objects_.emplace(value, std::move(object));
        next_ += 4;
        return reinterpret_cast<HANDLE>(value);
    }

    std::shared_ptr<KernelObject> Find(HANDLE handle) {
        std::lock_guard lock(mutex_);
        const auto entry = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
        return entry == objects_.end() ? nullptr : entry->second;
    }

    std::shared_ptr<KernelObject> Remove(HANDLE handle) {
        std::lock_guard lock(mutex_);
        const auto entry = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
        if (entry == objects_.end()) {
            return nullptr;
        }
        auto object = std::move(entry->second);
        objects_.erase(entry);
        return object;
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects_;
    std::uintptr_t next_ = 4;
};

HandleTable& Table() {
    // Never destroyed: static objects close their handles during exit, possibly after the point
    // at which a destroyed table would be gone.
    static auto* table = new HandleTable;
    return *table;
}

} // namespace

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
    try {
        return Table().Add(std::move(object));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle) {
    auto object = Table().Find(handle);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

std::shared_ptr<KernelObject> RemoveHandle(HANDLE handle) {
    auto object = Table().Remove(handle);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

} // namespace win32_layer

BOOL CloseHandle(HANDLE handle) {
    return win32_layer::RemoveHandle(handle) != nullptr ? TRUE : FALSE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    // Holding the object keeps it alive while another thread closes the handle.
    const auto object = win32_layer::FindHandleOf<win32_layer::WaitableObject>(handle);
    if (object == nullptr) {
        return WAIT_FAILED;
    }
    win32_layer::Deadline deadline;
    if (milliseconds != INFINITE) {
        deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    }
    return object->Wait(deadline) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
