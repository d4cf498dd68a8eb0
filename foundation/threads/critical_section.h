// Thin wrappers over Windows critical sections, which the owning thread may enter again, an
// owner of one, and a scoped lock.
#pragma once

#include "winapi/win32.h"

CRITICAL_SECTION* InitializeCriticalSectionWrapper(CRITICAL_SECTION* section);
CRITICAL_SECTION* EnterCriticalSectionWrapper(CRITICAL_SECTION* section);
void LeaveCriticalSectionIfHeld(CRITICAL_SECTION* section) noexcept;
void DeleteCriticalSectionWrapper(CRITICAL_SECTION* section);

// A critical section for the life of this object. Not copyable: Windows forbids copying an
// initialised section.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSectionWrapper(&section_); }
    ~CriticalSection() { DeleteCriticalSectionWrapper(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    CRITICAL_SECTION* Get() { return &section_; }

private:
    CRITICAL_SECTION section_;
};

// Holds a critical section from construction to the end of its scope, unwinding included.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CRITICAL_SECTION* section)
        : held_(EnterCriticalSectionWrapper(section)) {}
    explicit CriticalSectionLock(CriticalSection& section) : CriticalSectionLock(section.Get()) {}
    ~CriticalSectionLock() { LeaveCriticalSectionIfHeld(held_); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

    // Leaves early; the lock then holds nothing, so neither a second Leave nor its end leaves
    // again.
    void Leave() noexcept {
        LeaveCriticalSectionIfHeld(held_);
        held_ = nullptr;
    }

private:
    CRITICAL_SECTION* held_;
};
