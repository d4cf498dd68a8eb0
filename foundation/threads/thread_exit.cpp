#include "foundation/threads/thread_exit.h"

SegmentedPointerList<Callable<void (*)()>*>& ThreadLocalRegistry() {
    static SegmentedPointerList<Callable<void (*)()>*> registry;
    return registry;
}

SegmentedPointerList<ThreadExitFunction>& ThreadExitFunctions() {
    static SegmentedPointerList<ThreadExitFunction> functions;
    return functions;
}

SegmentedPointerList<ThreadExitFunction>& ThreadStateReleases() {
    static SegmentedPointerList<ThreadExitFunction> releases;
    return releases;
}

void RegisterThreadLocal(Callable<void (*)()>* threadLocal) {
    ThreadLocalRegistry().Append(threadLocal);
}

void AtThreadExit(ThreadExitFunction function) {
    ThreadExitFunctions().Append(function);
}

void ReleaseAtThreadExit(ThreadExitFunction release) {
    ThreadStateReleases().Append(release);
}

// The counts are read anew for each entry, so an entry may register another.
void DisposeThreadLocals() {
    const auto& registry = ThreadLocalRegistry();
    for (std::uint32_t i = 0; i < registry.Count(); ++i)
        registry.At(i)->Run();
}

namespace {

void RunInOrder(const SegmentedPointerList<ThreadExitFunction>& functions) {
    for (std::uint32_t i = 0; i < functions.Count(); ++i)
        functions.At(i)();
}

} // namespace

void RunThreadExitFunctions() {
    RunInOrder(ThreadExitFunctions());
    RunInOrder(ThreadStateReleases());
}
