// What the global heap does while a log is open: for tests that check which blocks an operation
// allocates and frees, and in which order. The binary that holds it has its operator new and
// delete replaced; with no log open they only allocate and free. One thread at a time.
#pragma once

#include <cstddef>
#include <ostream>
#include <vector>

struct HeapCall {
    enum Kind { Allocated, Refused, Freed };

    Kind kind = Allocated;
    const void* block = nullptr;

    friend bool operator==(const HeapCall&, const HeapCall&) = default;
};

void PrintTo(const HeapCall& call, std::ostream* out);

class HeapLog {
public:
    // While open, the allocation numbered `refused` (1 for the first) throws std::bad_alloc
    // instead; 0 refuses none.
    explicit HeapLog(std::size_t refused = 0);
    ~HeapLog();
    HeapLog(const HeapLog&) = delete;
    HeapLog& operator=(const HeapLog&) = delete;

    // Stops recording and returns the calls in the order they were made.
    std::vector<HeapCall> Close();
};
