#include "foundation/encoding/local_buffer.h"

void FreeLocalBuffer(HLOCAL buffer) noexcept {
    if (buffer == nullptr)
        return;
    try {
        if (LocalFree(buffer) != nullptr)
            throw LocalFreeFailed();
    } catch (const LocalFreeFailed&) {
        // A buffer that cannot be released is left to the process's end.
    }
}
