#include "foundation/threads/thread_name.h"

#include <memory>

void SetThreadNameValue(std::string* name) {
    ThreadNameSlot().Set(name);
}

void SetThreadName(const char* name) {
    auto copy = std::make_unique<std::string>(name);
    SetThreadNameValue(copy.get());
    copy.release();
    AnnounceThreadNameToDebugger(name);
}
