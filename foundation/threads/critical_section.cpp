#include "foundation/threads/critical_section.h"

CRITICAL_SECTION* InitializeCriticalSectionWrapper(CRITICAL_SECTION* section) {
    InitializeCriticalSection(section);
    return section;
}

CRITICAL_SECTION* EnterCriticalSectionWrapper(CRITICAL_SECTION* section) {
    EnterCriticalSection(section);
    return section;
}

void LeaveCriticalSectionIfHeld(CRITICAL_SECTION* section) noexcept {
    if (section != nullptr)
        LeaveCriticalSection(section);
}

void DeleteCriticalSectionWrapper(CRITICAL_SECTION* section) {
    DeleteCriticalSection(section);
}
