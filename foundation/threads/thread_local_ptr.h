// A pointer with a value of its own in every thread, held in a Windows TLS slot. Threads started
// by StartThread dispose of their value by the policy when they end.
#pragma once

#include "foundation/threads/callable.h"
#include "foundation/threads/thread_exit.h"
#include "winapi/win32.h"

struct DisposeByDeleting {
    template <typename T>
    static void Dispose(T* value) {
        delete value;
    }
};

// For values owned elsewhere: disposal only clears the slot.
struct DoNotDispose {
    template <typename T>
    static void Dispose(T*) {}
};

// The slot operations, each raising Windows::Error on failure.
DWORD ThreadLocalPtrAllocateIndex();
void ThreadLocalPtrFreeIndex(DWORD index);
void* ThreadLocalPtrGetValue(DWORD index);
void ThreadLocalPtrSetValue(DWORD index, void* value);

// Registers itself in the thread-local registry for good, so every instance must live as long as
// the process: a static object.
template <typename T, typename Disposal>
class ThreadLocalPtr final : public Callable<void (*)()> {
public:
    ThreadLocalPtr() : index_(ThreadLocalPtrAllocateIndex()) {
        try {
            RegisterThreadLocal(this);
        } catch (...) {
            ThreadLocalPtrFreeIndex(index_);
            throw;
        }
    }
    // Only the calling thread's value is disposed of; other threads' values are left alone.
    ~ThreadLocalPtr() override {
        Run();
        ThreadLocalPtrFreeIndex(index_);
    }
    ThreadLocalPtr(const ThreadLocalPtr&) = delete;
    ThreadLocalPtr& operator=(const ThreadLocalPtr&) = delete;

    // Null when the calling thread has no value.
    T* Get() const { return static_cast<T*>(ThreadLocalPtrGetValue(index_)); }

    // Disposes of the previous value unless it is `value` itself.
    void Set(T* value) {
        T* const old = Get();
        if (old == value)
            return;
        ThreadLocalPtrSetValue(index_, value);
        if (old != nullptr)
            Disposal::Dispose(old);
    }

    // Disposes of the calling thread's value.
    void Run() override {
        T* const old = Get();
        if (old == nullptr)
            return;
        ThreadLocalPtrSetValue(index_, nullptr);
        Disposal::Dispose(old);
    }

private:
    DWORD index_;
};
