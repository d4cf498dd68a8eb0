#include <gtest/gtest.h>

#include <openssl/err.h>

#include "foundation/testing/started_thread.h"
#include "foundation/threads/thread_exit.h"
#include "foundation/threads/thread_local_ptr.h"

namespace {

// Leaves an error in the calling thread's OpenSSL error queue, and returns it.
unsigned long QueueAnError() {
    ERR_raise(ERR_LIB_USER, 1);
    return ERR_peek_error();
}

TEST(OpenSslThreadStateTest, TheThreadExitStepReleasesTheThreadsErrorQueue) {
    unsigned long queued = 0;
    unsigned long left = 0;
    RunOnStartedThread([&] {
        queued = QueueAnError();
        RunThreadExitFunctions();
        left = ERR_peek_error();
    });
    ASSERT_NE(queued, 0u);
    EXPECT_EQ(left, 0u);
}

// Disposed of by the thread-exit functions, it records what is left of the ending thread's
// OpenSSL error queue.
struct ErrorQueueProbe {
    ~ErrorQueueProbe() { *errorAtDisposal = ERR_peek_error(); }
    unsigned long* errorAtDisposal;
};

// The registry keeps its entries for good, so the slot is a static object.
ThreadLocalPtr<ErrorQueueProbe, DisposeByDeleting> errorQueueProbe;

// The thread-exit functions may still use OpenSSL, so its per-thread state goes last.
TEST(OpenSslThreadStateTest, IsReleasedAfterTheThreadLocalsAreDisposedOf) {
    unsigned long queued = 0;
    unsigned long errorAtDisposal = 0;
    RunOnStartedThread([&] {
        queued = QueueAnError();
        errorQueueProbe.Set(new ErrorQueueProbe{&errorAtDisposal});
    });
    ASSERT_NE(queued, 0u);
    EXPECT_EQ(errorAtDisposal, queued);
}

} // namespace
