#include "foundation/threads/thread_exit.h"

#include "foundation/threads/crypto_thread_state.h"

SegmentedPointerList<Callable<void (*)()>*>& ThreadLocalRegistry() {
    static SegmentedPointerList<Callable<void (*)()>*> registry;
    return registry;
}

SegmentedPointerList<ThreadExitFunction>& ThreadExitFunctions() {
    static SegmentedPointerList<ThreadExitFunction> functions;
    return functions;
}

void RegisterThreadLocal(Callable<void (*)()>* threadLocal) {
    ThreadLocalRegistry().Append(threadLocal);
}

void AtThreadExit(ThreadExitFunction function) {
    ThreadExitFunctions().Append(function);
}

// The counts are read anew for each entry, so an entry may register another.
void DisposeThreadLocals() {
    const auto& registry = ThreadLocalRegistry();
    for (std::uint32_t i = 0; i < registry.Count(); ++i)
        registry.At(i)->Run();
}

void RunThreadExitFunctions() {
    const auto& functions = ThreadExitFunctions();
    for (std::uint32_t i = 0; i < functions.Count(); ++i)
        functions.At(i)();
    ReleaseCryptoThreadState();
}
