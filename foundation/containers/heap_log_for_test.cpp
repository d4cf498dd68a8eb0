#include "foundation/containers/heap_log_for_test.h"

#include <cstdlib>
#include <new>

namespace {

// Fixed storage: recording must not allocate.
struct Recording {
    bool open = false;
    std::size_t refused = 0;
    std::size_t allocations = 0;
    std::size_t count = 0;
    HeapCall calls[256];
};

constinit Recording recording;

void Record(HeapCall::Kind kind, const void* block) {
    if (recording.count == std::size(recording.calls))
        std::abort();
    recording.calls[recording.count++] = HeapCall{kind, block};
}

void* Allocate(std::size_t size) {
    if (recording.open && ++recording.allocations == recording.refused) {
        Record(HeapCall::Refused, nullptr);
        throw std::bad_alloc();
    }
    void* const block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        throw std::bad_alloc();
    if (recording.open)
        Record(HeapCall::Allocated, block);
    return block;
}

void Free(void* block) noexcept {
    if (block == nullptr)
        return;
    if (recording.open)
        Record(HeapCall::Freed, block);
    std::free(block);
}

} // namespace

HeapLog::HeapLog(std::size_t refused) {
    recording = Recording{};
    recording.refused = refused;
    recording.open = true;
}

HeapLog::~HeapLog() {
    recording.open = false;
}

std::vector<HeapCall> HeapLog::Close() {
    recording.open = false;
    return std::vector<HeapCall>(recording.calls, recording.calls + recording.count);
}

void PrintTo(const HeapCall& call, std::ostream* out) {
    static const char* const kKinds[] = {"allocated", "refused", "freed"};
    *out << kKinds[call.kind] << ' ' << call.block;
}

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    Free(block);
}
void operator delete[](void* block) noexcept {
    Free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Free(block);
}
