#include "winapi/threads/thread_naming.h"

#include <pthread.h>

#include <cstring>

void AnnounceThreadNameToDebugger(const char* name) noexcept {
    // The kernel keeps at most 15 bytes of a thread's name.
    char shortName[16] = {};
    std::strncpy(shortName, name, sizeof(shortName) - 1);
    pthread_setname_np(pthread_self(), shortName);
}
