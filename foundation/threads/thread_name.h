// Thread names: kept per thread and announced to an attached debugger.
#pragma once

#include <string>

#include "foundation/threads/thread_local_ptr.h"

// The calling thread's name, a heap string released when the thread ends. Valid once start-up
// has built it.
ThreadLocalPtr<std::string, DisposeByDeleting>& ThreadNameSlot();

// Takes ownership of `name` and deletes the thread's previous name.
void SetThreadNameValue(std::string* name);

// `name` is NUL-terminated. The announcement never fails the call, debugger or not.
void SetThreadName(const char* name);
