// Thin wrappers over Windows critical sections, which the owning thread may enter again, and a
// scoped lock.
#pragma once

#include "winapi/win32.h"

CRITICAL_SECTION* InitializeCriticalSectionWrapper(CRITICAL_SECTION* section);
CRITICAL_SECTION* EnterCriticalSectionWrapper(CRITICAL_SECTION* section);
void LeaveCriticalSectionIfHeld(CRITICAL_SECTION* section) noexcept;
void DeleteCriticalSectionWrapper(CRITICAL_SECTION* section);

// Holds a critical section from construction to the end of its scope, unwinding included.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CRITICAL_SECTION* section)
        : held_(EnterCriticalSectionWrapper(section)) {}
    ~CriticalSectionLock() { LeaveCriticalSectionIfHeld(held_); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

    // Leaves early; the lock then holds nothing, so its end leaves nothing a second time.
    void Leave() {
        LeaveCriticalSection(held_);
        held_ = nullptr;
    }

private:
    CRITICAL_SECTION* held_;
};
