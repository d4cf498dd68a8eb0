#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <new>

#include "winapi/errors/errors.h"
#include "winapi/threads/thread_local_storage.h"

namespace {

// As many slots as Windows offers: 64 in the thread block and 1024 in its expansion.
constexpr DWORD kSlotCount = 1088;

// Odd while the index is allocated. TlsAlloc and TlsFree each move it on, so a value that a thread
// stored under an earlier allocation of the index no longer matches: freeing clears the slot in
// every thread without visiting them.
constinit std::atomic<std::uint64_t> generations[kSlotCount]{};

bool IsAllocated(std::uint64_t generation) {
    return generation % 2 == 1;
}

struct SlotValue {
    std::uint64_t generation;
    void* value;
};

struct ThreadSlots {
    SlotValue slots[kSlotCount];
};

// Plain pointers stay usable while the thread's C++ destructors run, and those may use TLS.
thread_local ThreadSlots* threadSlots = nullptr;

void ReleaseThreadSlots(void* slots) {
    delete static_cast<ThreadSlots*>(slots);
    threadSlots = nullptr;
}

// The C library runs the key's destructor after a thread's C++ thread-local destructors.
struct ThreadEndKey {
    pthread_key_t key;
    bool created;
    ThreadEndKey() : key(), created(pthread_key_create(&key, ReleaseThreadSlots) == 0) {}
};

ThreadSlots* ThreadSlotsForWriting() {
    if (threadSlots != nullptr) {
        return threadSlots;
    }
    static const ThreadEndKey endKey;
    if (!endKey.created) {
        return nullptr;
    }
    auto* slots = new (std::nothrow) ThreadSlots{};
    if (slots == nullptr) {
        return nullptr;
    }
    if (pthread_setspecific(endKey.key, slots) != 0) {
        delete slots;
        return nullptr;
    }
    threadSlots = slots;
    return slots;
}

// The generation of an allocated index, or 0 with ERROR_INVALID_PARAMETER.
std::uint64_t AllocatedGeneration(DWORD index) {
    if (index < kSlotCount) {
        const std::uint64_t generation = generations[index].load(std::memory_order_acquire);
        if (IsAllocated(generation)) {
            return generation;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

// Allocates (from the free state) or frees (from the allocated state) the index; false when
// the index is not in the expected state.
bool MoveGenerationOn(DWORD index, bool fromAllocated) {
    std::uint64_t generation = generations[index].load(std::memory_order_relaxed);
    while (IsAllocated(generation) == fromAllocated) {
        if (generations[index].compare_exchange_weak(generation, generation + 1,
                                                     std::memory_order_acq_rel)) {
            return true;
        }
    }
    return false;
}

} // namespace

DWORD TlsAlloc() {
    for (DWORD index = 0; index < kSlotCount; ++index) {
        if (MoveGenerationOn(index, false)) {
            return index;
        }
    }
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return TLS_OUT_OF_INDEXES;
}

BOOL TlsFree(DWORD index) {
    if (index < kSlotCount && MoveGenerationOn(index, true)) {
        return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// A success clears the last error, so that a null value with last error 0 reads as success.
LPVOID TlsGetValue(DWORD index) {
    const std::uint64_t generation = AllocatedGeneration(index);
    if (generation == 0) {
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    if (threadSlots == nullptr) {
        return nullptr;
    }
    const SlotValue& slot = threadSlots->slots[index];
    return slot.generation == generation ? slot.value : nullptr;
}

BOOL TlsSetValue(DWORD index, LPVOID value) {
    const std::uint64_t generation = AllocatedGeneration(index);
    if (generation == 0) {
        return FALSE;
    }
    ThreadSlots* slots = ThreadSlotsForWriting();
    if (slots == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    slots->slots[index] = {generation, value};
    return TRUE;
}
