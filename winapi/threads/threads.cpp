#include "winapi/threads/threads.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <new>
#include <thread>

#include "winapi/internal/signal_object.h"

namespace {

// Signalled once the thread's start routine has returned; stays so for any number of waits.
class ThreadObject final : public win32_layer::SignalObject {
public:
    ThreadObject() : SignalObject(true, false) {}
};

struct ThreadStart {
    _beginthreadex_proc_type routine;
    void* argument;
    DWORD id;
    // The thread's own reference, so that closing its handle early leaves the object alive.
    std::shared_ptr<ThreadObject> thread;
};

std::atomic<DWORD> nextThreadId{1};
thread_local DWORD currentThreadId = 0;

DWORD NewThreadId() {
    DWORD id;
    do {
        id = nextThreadId.fetch_add(1, std::memory_order_relaxed);
    } while (id == 0);
    return id;
}

void* RunThread(void* context) {
    const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(context));
    currentThreadId = start->id;
    start->routine(start->argument);
    start->thread->Set();
    return nullptr;
}

// pthreads refuses stacks below its minimum and wants whole pages.
std::size_t PthreadStackSize(unsigned requested) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t minimum = PTHREAD_STACK_MIN;
    const std::size_t size = requested < minimum ? minimum : requested;
    return (size + page - 1) / page * page;
}

int StartDetached(ThreadStart* start, unsigned stackSize) {
    pthread_attr_t attributes;
    int result = pthread_attr_init(&attributes);
    if (result != 0) {
        return result;
    }
    result = pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (result == 0 && stackSize != 0) {
        result = pthread_attr_setstacksize(&attributes, PthreadStackSize(stackSize));
    }
    if (result == 0) {
        pthread_t thread;
        result = pthread_create(&thread, &attributes, RunThread, start);
    }
    pthread_attr_destroy(&attributes);
    return result;
}

} // namespace

// Security attributes only govern inheritance and access, which mean nothing here.
std::uintptr_t _beginthreadex(void*, unsigned stackSize, _beginthreadex_proc_type start,
                              void* argument, unsigned flags, unsigned* threadId) {
    if (start == nullptr || flags != 0) {
        errno = EINVAL;
        return 0;
    }
    std::unique_ptr<ThreadStart> context;
    HANDLE handle = nullptr;
    try {
        context.reset(
            new ThreadStart{start, argument, NewThreadId(), std::make_shared<ThreadObject>()});
        handle = win32_layer::AddHandle(context->thread);
    } catch (const std::bad_alloc&) {
    }
    if (handle == nullptr) {
        errno = ENOMEM;
        return 0;
    }
    const DWORD id = context->id;
    const int result = StartDetached(context.get(), stackSize);
    if (result != 0) {
        win32_layer::RemoveHandle(handle);
        errno = result;
        return 0;
    }
    context.release();
    if (threadId != nullptr) {
        *threadId = id;
    }
    return reinterpret_cast<std::uintptr_t>(handle);
}

HANDLE GetCurrentProcess() {
    return win32_layer::kCurrentProcessHandle;
}

DWORD GetCurrentThreadId() {
    if (currentThreadId == 0) {
        currentThreadId = NewThreadId();
    }
    return currentThreadId;
}

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::hours(24));
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
