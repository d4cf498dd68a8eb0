#pragma once

#include "foundation/threads/thread_local_ptr.h"

// The calling thread's log nesting depth; null reads as no depth. Valid once start-up has built
// it.
ThreadLocalPtr<unsigned long, DisposeByDeleting>& LogNestingDepth();
