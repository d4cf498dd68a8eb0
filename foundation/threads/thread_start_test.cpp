#include "foundation/threads/thread_start.h"

#include <gtest/gtest.h>

#include <openssl/err.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "foundation/encoding/windows_error.h"
#include "foundation/testing/started_thread.h"
#include "foundation/threads/sleep.h"
#include "foundation/threads/thread_error.h"
#include "foundation/threads/thread_local_ptr.h"

namespace {

TEST(StartThreadTest, RunsTheBodyOnAnotherThreadAndJoinWaitsForItsEnd) {
    std::atomic<bool> finished = false;
    DWORD bodyThread = GetCurrentThreadId();
    RunOnStartedThread([&] {
        bodyThread = GetCurrentThreadId();
        SleepMilliseconds(50);
        finished = true;
    });
    EXPECT_TRUE(finished);
    EXPECT_NE(bodyThread, GetCurrentThreadId());
}

// Disposed of by the thread-exit functions, it records what is left of the ending thread's
// OpenSSL error queue.
struct CryptoStateProbe {
    ~CryptoStateProbe() { *errorAtDisposal = ERR_peek_error(); }
    unsigned long* errorAtDisposal;
};

// The registry keeps its entries for good, so the slot is a static object.
ThreadLocalPtr<CryptoStateProbe, DisposeByDeleting> cryptoStateProbe;

// The thread-exit functions may still use OpenSSL, so its per-thread state goes last.
TEST(StartThreadTest, ReleasesTheCryptoThreadStateAfterTheThreadExitFunctions) {
    unsigned long queued = 0;
    unsigned long errorAtDisposal = 0;
    RunOnStartedThread([&] {
        ERR_raise(ERR_LIB_USER, 1);
        queued = ERR_peek_error();
        cryptoStateProbe.Set(new CryptoStateProbe{&errorAtDisposal});
    });
    ASSERT_NE(queued, 0u);
    EXPECT_EQ(errorAtDisposal, queued);
}

TEST(JoinThreadTest, IgnoresANullHandle) {
    EXPECT_NO_THROW(JoinThread(nullptr));
}

TEST(JoinThreadTest, AFailedWaitRaisesWindowsError) {
    // Beyond any handle a process can hold.
    const auto bogus = reinterpret_cast<HANDLE>(std::uintptr_t{0x7FFFFFF0});
    try {
        JoinThread(bogus);
        FAIL() << "no exception";
    } catch (const Windows::Error& error) {
        EXPECT_EQ(error.Code(), DWORD{ERROR_INVALID_HANDLE});
    }
}

TEST(ThreadErrorTest, KeepsErrnoBesideTheClassNameTexts) {
    const WindowsPlatform::ThreadError error(11);
    const WindowsPlatform::ThreadError copy(error);
    EXPECT_EQ(copy.ErrnoValue(), 11);
    EXPECT_STREQ(copy.what(), "class WindowsPlatform::ThreadError");
    const UString<UTF8> message = copy.Message();
    EXPECT_EQ(std::string(message.begin(), message.end()), "class WindowsPlatform::ThreadError");
}

} // namespace
