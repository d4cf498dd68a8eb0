// A pointer to a heap string that nothing sets; exit frees the string it would point to.
#include "foundation/text/ustring.h"

namespace {

struct HeapStringOwner {
    ~HeapStringOwner() { delete string; }

    CopiedUString<UTF8>* string = nullptr;
};

constinit HeapStringOwner heapString;

} // namespace
