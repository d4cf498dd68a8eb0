// The process-wide lists that the threads started by StartThread work through as they end.
// Appends take no lock: they happen during start-up, before a second thread exists, and whatever
// is registered must live as long as the process.
#pragma once

#include "foundation/containers/segmented_pointer_list.h"
#include "foundation/threads/callable.h"

using ThreadExitFunction = void (*)();

// One entry per ThreadLocalPtr, in order of construction.
SegmentedPointerList<Callable<void (*)()>*>& ThreadLocalRegistry();
SegmentedPointerList<ThreadExitFunction>& ThreadExitFunctions();
// The releases of what libraries keep per thread, which the thread-exit functions may still use.
SegmentedPointerList<ThreadExitFunction>& ThreadStateReleases();

void RegisterThreadLocal(Callable<void (*)()>* threadLocal);
void AtThreadExit(ThreadExitFunction function);
void ReleaseAtThreadExit(ThreadExitFunction release);

// Each registered thread-local disposes of the calling thread's value.
void DisposeThreadLocals();
// The registered functions in order, then the releases in order.
void RunThreadExitFunctions();
