#include "foundation/threads/thread_start.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "foundation/encoding/windows_error.h"
#include "foundation/threads/sleep.h"
#include "foundation/threads/started_thread_for_test.h"
#include "foundation/threads/thread_error.h"

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
