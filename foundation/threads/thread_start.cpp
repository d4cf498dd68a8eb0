#include "foundation/threads/thread_start.h"

#include <cerrno>
#include <cstdint>

#include "foundation/encoding/windows_error.h"
#include "foundation/threads/thread_error.h"
#include "foundation/threads/thread_exit.h"

namespace {

// An exception that leaves the body or a thread-exit function ends the process.
unsigned ThreadStartRoutine(void* body) noexcept {
    static_cast<Callable<void (*)()>*>(body)->Run();
    RunThreadExitFunctions();
    return 0;
}

} // namespace

HANDLE StartThread(Callable<void (*)()>* body) {
    const std::uintptr_t thread = _beginthreadex(nullptr, 0, ThreadStartRoutine, body, 0, nullptr);
    if (thread == 0)
        throw WindowsPlatform::ThreadError(errno);
    return reinterpret_cast<HANDLE>(thread);
}

void JoinThread(HANDLE thread) {
    if (thread == nullptr)
        return;
    if (WaitForSingleObject(thread, INFINITE) == WAIT_FAILED)
        ThrowFailedCall();
    CheckWin32(CloseHandle(thread));
}
