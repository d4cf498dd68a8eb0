// Buffers that Windows allocates for the caller with its local allocator: the texts of
// FormatMessage and the security structures handed back by the system.
#pragma once

#include "winapi/win32.h"

// Raised and swallowed inside FreeLocalBuffer.
class LocalFreeFailed {};
// Releases a buffer that Windows allocated for the caller; null is fine, failures are dropped.
void FreeLocalBuffer(HLOCAL buffer) noexcept;

// For std::unique_ptr holders of such buffers.
struct LocalBufferDeleter {
    void operator()(void* buffer) const noexcept { FreeLocalBuffer(buffer); }
};
