// An unnamed Windows event that stays signalled from Set until Reset.
#pragma once

#include <cstdint>

#include "winapi/win32.h"

// The wait time-out for `microseconds`: INT64_MAX waits forever, negative values do not wait,
// and any other time-out stays finite (at most 0xFFFFFFFE ms).
DWORD MicrosecondsToMilliseconds(std::int64_t microseconds);

class ManualResetEvent {
public:
    // Not signalled. Raises Windows::Error when the event cannot be created.
    ManualResetEvent();
    ~ManualResetEvent() { Close(); }
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    // True when the event is signalled, false when the time-out passed first; 0 only tests it.
    bool Wait(std::int64_t microseconds);
    // Releases the event; a failure to close is of no consequence here.
    void Close() noexcept;

private:
    HANDLE handle_;
};
