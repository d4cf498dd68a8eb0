#pragma once

#include <string>

#include "foundation/threads/thread_local_ptr.h"

// A per-thread string that its setter owns; nothing in the system sets one. Valid once start-up
// has built it.
ThreadLocalPtr<std::string, DoNotDispose>& PerThreadString();
