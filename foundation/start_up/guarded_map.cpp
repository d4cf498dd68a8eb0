// An ordered map with a critical section beside it, which nothing fills or enters.
#include <map>

#include "foundation/threads/critical_section.h"

namespace {

// Members end in reverse order, so exit deletes the section before it frees the map.
struct GuardedMap {
    std::map<int, int> entries;
    CriticalSection section;
};

GuardedMap guardedMap;

} // namespace
