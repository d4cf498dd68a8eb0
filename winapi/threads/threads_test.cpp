#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <set>
#include <vector>

#include "winapi/testing/target_guards.h"
#include "winapi/threads/threads_for_test.h"
#include "winapi/win32.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(Threads, RunSignalEndAndCloseOnce) {
    unsigned reportedId = 0;
    DWORD idInThread = 0;
    int argumentSeen = 0;
    HANDLE thread = StartThread(
        [&] {
            idInThread = GetCurrentThreadId();
            argumentSeen = 42;
        },
        &reportedId);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(thread, INVALID_HANDLE_VALUE);

    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    EXPECT_EQ(argumentSeen, 42);
    EXPECT_EQ(idInThread, reportedId);
    EXPECT_NE(idInThread, 0u);
    EXPECT_NE(idInThread, GetCurrentThreadId());

    EXPECT_EQ(CloseHandle(thread), TRUE);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CloseHandle(thread), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    DWORD error = 0;
    EXPECT_EQ(WaitResultWithError(thread, 0, &error), WAIT_FAILED);
    EXPECT_EQ(error, DWORD{ERROR_INVALID_HANDLE});
}

TEST(Threads, WaitTimesOutWhileTheThreadRuns) {
    OwnedEvent gate;
    HANDLE thread = StartThread([&gate] { WaitForSingleObject(gate.Handle(), INFINITE); });
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 0), DWORD{WAIT_TIMEOUT});
    EXPECT_EQ(WaitForSingleObject(thread, 20), DWORD{WAIT_TIMEOUT});
    SetEvent(gate.Handle());
    Join(thread);
}

TEST(Threads, SeveralThreadsCanWaitForOne) {
    OwnedEvent gate;
    HANDLE worker = StartThread([&gate] { WaitForSingleObject(gate.Handle(), INFINITE); });
    ASSERT_NE(worker, nullptr);
    std::atomic<int> woken{0};
    std::vector<HANDLE> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.push_back(StartThread([&] {
            if (WaitForSingleObject(worker, INFINITE) == WAIT_OBJECT_0) {
                ++woken;
            }
        }));
    }
    SetEvent(gate.Handle());
    for (HANDLE waiter : waiters) {
        Join(waiter);
    }
    EXPECT_EQ(woken, 4);
    Join(worker);
}

TEST(Threads, ClosingTheHandleOfARunningThreadLetsItFinish) {
    OwnedEvent gate;
    OwnedEvent finished;
    HANDLE thread = StartThread([&] {
        WaitForSingleObject(gate.Handle(), INFINITE);
        SetEvent(finished.Handle());
    });
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(CloseHandle(thread), TRUE);
    SetEvent(gate.Handle());
    EXPECT_EQ(WaitForSingleObject(finished.Handle(), INFINITE), WAIT_OBJECT_0);
}

TEST(Threads, HonoursOrRoundsUpTheStackSize) {
    for (const unsigned stackSize : {1u, 100'000u, 1u << 20}) {
        bool ran = false;
        HANDLE thread = StartThread([&ran] { ran = true; }, nullptr, stackSize);
        ASSERT_NE(thread, nullptr) << stackSize;
        Join(thread);
        EXPECT_TRUE(ran) << stackSize;
    }
}

TEST(Threads, SuspendedStartsAreRefused) {
    SKIP_ON_WINDOWS_BECAUSE("nothing here starts a thread suspended, so the layer refuses it");
    constexpr unsigned kCreateSuspended = 0x4;
    errno = 0;
    EXPECT_EQ(_beginthreadex(nullptr, 0, RunThreadBody, nullptr, kCreateSuspended, nullptr), 0u);
    EXPECT_EQ(errno, EINVAL);
}

TEST(Threads, NullStartRoutineFailsWithEinval) {
    SKIP_ON_WINDOWS_BECAUSE("Windows hands a null start routine to the C runtime's "
                            "invalid-parameter handler, which by default ends the process");
    errno = 0;
    EXPECT_EQ(_beginthreadex(nullptr, 0, nullptr, nullptr, 0, nullptr), 0u);
    EXPECT_EQ(errno, EINVAL);
}

TEST(Threads, CurrentThreadIdIsStableAndDistinct) {
    const DWORD mine = GetCurrentThreadId();
    EXPECT_NE(mine, 0u);
    EXPECT_EQ(GetCurrentThreadId(), mine);
    std::set<DWORD> ids = {mine};
    std::vector<HANDLE> threads;
    std::vector<DWORD> seen(8);
    for (auto& id : seen) {
        threads.push_back(StartThread([&id] {
            id = GetCurrentThreadId();
            EXPECT_EQ(GetCurrentThreadId(), id);
        }));
    }
    for (HANDLE thread : threads) {
        Join(thread);
    }
    ids.insert(seen.begin(), seen.end());
    EXPECT_EQ(ids.size(), 9u);
    EXPECT_EQ(ids.count(0), 0u);
}

TEST(Threads, SleepWaitsAtLeastTheTime) {
    const auto start = Clock::now();
    Sleep(30);
    EXPECT_GE(Clock::now() - start, milliseconds(30));
    Sleep(0);
}

// Later code opens the process's token through this handle.
TEST(CurrentProcess, IsThePseudoHandle) {
    EXPECT_EQ(GetCurrentProcess(), INVALID_HANDLE_VALUE);
}

TEST(CurrentProcess, TimedWaitsTimeOutWhileItRuns) {
    DWORD error = 0;
    EXPECT_EQ(WaitResultWithError(GetCurrentProcess(), 0, &error), DWORD{WAIT_TIMEOUT});
    EXPECT_EQ(error, DWORD{ERROR_SUCCESS});
    const auto start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(GetCurrentProcess(), 30), DWORD{WAIT_TIMEOUT});
    EXPECT_GE(Clock::now() - start, milliseconds(30));
}

TEST(CurrentProcess, ClosingItSucceedsAndChangesNothing) {
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(CloseHandle(GetCurrentProcess()), TRUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
    EXPECT_EQ(WaitForSingleObject(GetCurrentProcess(), 0), DWORD{WAIT_TIMEOUT});
}

TEST(CurrentProcess, IsNoEvent) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(SetEvent(GetCurrentProcess()), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(ResetEvent(GetCurrentProcess()), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
}

} // namespace
