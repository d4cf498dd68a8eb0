#include "foundation/threads/manual_reset_event.h"

#include <limits>

#include "foundation/encoding/windows_error.h"

DWORD MicrosecondsToMilliseconds(std::int64_t microseconds) {
    if (microseconds == std::numeric_limits<std::int64_t>::max())
        return INFINITE;
    const std::int64_t milliseconds = microseconds / 1000;
    if (milliseconds < 0)
        return 0;
    if (milliseconds >= std::int64_t{INFINITE})
        return INFINITE - 1;
    return static_cast<DWORD>(milliseconds);
}

ManualResetEvent::ManualResetEvent() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (handle_ == nullptr)
        ThrowFailedCall();
}

void ManualResetEvent::Set() {
    CheckWin32(SetEvent(handle_));
}

void ManualResetEvent::Reset() {
    CheckWin32(ResetEvent(handle_));
}

bool ManualResetEvent::Wait(std::int64_t microseconds) {
    const DWORD result = WaitForSingleObject(handle_, MicrosecondsToMilliseconds(microseconds));
    if (result == WAIT_FAILED)
        ThrowFailedCall();
    return result == WAIT_OBJECT_0;
}

void ManualResetEvent::Close() noexcept {
    if (handle_ == nullptr)
        return;
    CloseHandle(handle_);
    handle_ = nullptr;
}
