#include "foundation/threads/thread_start.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/testing/started_thread.h"
#include "foundation/threads/sleep.h"
#include "foundation/threads/thread_error.h"
#include "foundation/threads/thread_exit.h"
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

// The steps of the ending thread's exit that the test can see, in their order.
thread_local std::vector<std::string>* exitSteps = nullptr;

struct DisposalProbe {
    ~DisposalProbe() { exitSteps->push_back("thread-local disposed of"); }
};

// The registry keeps its entries for good, so the slot is a static object.
ThreadLocalPtr<DisposalProbe, DisposeByDeleting> disposalProbe;

void RecordRelease() {
    if (exitSteps != nullptr)
        exitSteps->push_back("state released");
}

[[maybe_unused]] const bool releaseRecorded = (ReleaseAtThreadExit(RecordRelease), true);

// The thread-exit functions may still use a library's per-thread state, so its release goes last.
TEST(StartThreadTest, RunsTheThreadStateReleasesAfterTheThreadExitFunctions) {
    std::vector<std::string> steps;
    RunOnStartedThread([&] {
        exitSteps = &steps;
        disposalProbe.Set(new DisposalProbe);
    });
    EXPECT_EQ(steps, (std::vector<std::string>{"thread-local disposed of", "state released"}));
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
