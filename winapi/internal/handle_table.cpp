#include "winapi/internal/handle_table.h"

#include <cstdint>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>
#include <utility>

namespace win32_layer {
namespace {

class HandleTable {
public:
    HANDLE Add(std::shared_ptr<KernelObject> object) {
        std::lock_guard lock(mutex_);
        // Values only grow, so a stale handle never reaches a later object; steps of 4 keep them
        // clear of null and of the pseudo-handles at the top of the range, like those of Windows.
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

// Neither is ever destroyed: static objects close their handles during exit, possibly after the
// point at which destroyed ones would be gone.
HandleTable& Table() {
    static auto* table = new HandleTable;
    return *table;
}

const std::shared_ptr<KernelObject>& TheCurrentProcess() {
    static const auto* process =
        new std::shared_ptr<KernelObject>(std::make_shared<CurrentProcess>());
    return *process;
}

} // namespace

bool CurrentProcess::Wait(Deadline deadline) {
    if (!deadline) {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::hours(24));
        }
    }
    std::this_thread::sleep_until(*deadline);
    return false;
}

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
    try {
        return Table().Add(std::move(object));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle) {
    if (handle == kCurrentProcessHandle) {
        return TheCurrentProcess();
    }
    auto object = Table().Find(handle);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

std::shared_ptr<KernelObject> RemoveHandle(HANDLE handle) {
    if (handle == kCurrentProcessHandle) {
        return TheCurrentProcess();
    }
    auto object = Table().Remove(handle);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

} // namespace win32_layer
