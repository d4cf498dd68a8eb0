#include <chrono>

#include "winapi/internal/handle_table.h"
#include "winapi/threads/synchronisation.h"

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
