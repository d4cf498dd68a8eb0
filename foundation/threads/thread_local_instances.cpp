// The system's thread-local pointers and the thread-exit step that disposes of them, in the order
// that their disposal and their destruction at exit follow. They share one unit because the
// language orders construction only within a unit: across units, the Linux toolchain follows the
// link order and mingw runs against it.
#include "foundation/threads/log_nesting_depth.h"
#include "foundation/threads/per_thread_string.h"
#include "foundation/threads/thread_exit.h"
#include "foundation/threads/thread_name.h"

namespace {

ThreadLocalPtr<std::string, DoNotDispose> perThreadString;

[[maybe_unused]] const bool threadLocalsDisposedAtThreadExit =
    (AtThreadExit(DisposeThreadLocals), true);

ThreadLocalPtr<unsigned long, DisposeByDeleting> logNestingDepth;

ThreadLocalPtr<std::string, DisposeByDeleting> threadName;

} // namespace

ThreadLocalPtr<std::string, DoNotDispose>& PerThreadString() {
    return perThreadString;
}

ThreadLocalPtr<unsigned long, DisposeByDeleting>& LogNestingDepth() {
    return logNestingDepth;
}

ThreadLocalPtr<std::string, DisposeByDeleting>& ThreadNameSlot() {
    return threadName;
}
