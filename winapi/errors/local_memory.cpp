#include "winapi/errors/local_memory_for_test.h"
#include "winapi/errors/messages.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>

#include "winapi/errors/errors.h"

namespace {

std::atomic<win32_layer::LocalFreeObserver> freeObserver{nullptr};

} // namespace

namespace win32_layer {

void ObserveLocalFree(LocalFreeObserver observer) {
    freeObserver = observer;
}

} // namespace win32_layer

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
    if ((flags & ~LMEM_ZEROINIT) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A request for no bytes still yields a block of its own, as on Windows.
    const SIZE_T size = bytes == 0 ? 1 : bytes;
    void* memory = (flags & LMEM_ZEROINIT) != 0 ? std::calloc(1, size) : std::malloc(size);
    if (memory == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return memory;
}

HLOCAL LocalFree(HLOCAL memory) {
    if (const win32_layer::LocalFreeObserver observer = freeObserver;
        observer != nullptr && memory != nullptr) {
        observer(static_cast<const unsigned char*>(memory), malloc_usable_size(memory));
    }
    std::free(memory);
    return nullptr;
}
