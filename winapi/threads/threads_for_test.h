// Threads and events that a test starts and owns.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

#include "winapi/win32.h"

inline unsigned RunThreadBody(void* argument) {
    const std::unique_ptr<std::function<void()>> body(
        static_cast<std::function<void()>*>(argument));
    (*body)();
    return 0;
}

// Null when the thread could not start.
inline HANDLE StartThread(std::function<void()> body, unsigned* threadId = nullptr,
                          unsigned stackSize = 0) {
    auto* heapBody = new std::function<void()>(std::move(body));
    const std::uintptr_t handle =
        _beginthreadex(nullptr, stackSize, RunThreadBody, heapBody, 0, threadId);
    if (handle == 0) {
        delete heapBody;
    }
    return reinterpret_cast<HANDLE>(handle);
}

inline void Join(HANDLE thread) {
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    ASSERT_EQ(CloseHandle(thread), TRUE);
}

class OwnedEvent {
public:
    explicit OwnedEvent(bool manualReset = true, bool signalled = false)
        : handle_(CreateEventW(nullptr, manualReset, signalled, nullptr)) {}
    OwnedEvent(const OwnedEvent&) = delete;
    OwnedEvent& operator=(const OwnedEvent&) = delete;
    ~OwnedEvent() { CloseHandle(handle_); }
    HANDLE Handle() const { return handle_; }

private:
    HANDLE handle_;
};

inline DWORD WaitResultWithError(HANDLE handle, DWORD timeOut, DWORD* error) {
    SetLastError(ERROR_SUCCESS);
    const DWORD result = WaitForSingleObject(handle, timeOut);
    *error = GetLastError();
    return result;
}
