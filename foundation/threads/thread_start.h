// The threads of the system: started on a Callable body, and ended by the thread-exit
// functions once the body returns.
#pragma once

#include "foundation/threads/callable.h"
#include "winapi/win32.h"

// The body is not copied and must outlive the thread. Raises WindowsPlatform::ThreadError when
// the thread cannot be started. The caller ends the returned handle with JoinThread.
HANDLE StartThread(Callable<void (*)()>* body);

// Waits for the thread to end, then closes its handle; null is ignored. A failed wait raises
// Windows::Error and leaves the handle open.
void JoinThread(HANDLE thread);
