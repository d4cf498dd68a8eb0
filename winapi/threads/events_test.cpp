#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

#include "winapi/testing/target_guards.h"
#include "winapi/threads/threads_for_test.h"
#include "winapi/win32.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct EventCase {
    BOOL manualReset;
    BOOL initialState;
    DWORD firstWait;
    DWORD secondWait;
};

TEST(Events, ResetManuallyOrByAWait) {
    const std::vector<EventCase> cases = {
        {TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0},
        {TRUE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
        {FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT},
        {FALSE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::Message()
                     << "manual " << test.manualReset << ", initial " << test.initialState);
        const OwnedEvent event(test.manualReset, test.initialState);
        ASSERT_NE(event.Handle(), nullptr);
        EXPECT_EQ(WaitForSingleObject(event.Handle(), 0), test.firstWait);
        EXPECT_EQ(WaitForSingleObject(event.Handle(), 0), test.secondWait);

        EXPECT_EQ(SetEvent(event.Handle()), TRUE);
        EXPECT_EQ(SetEvent(event.Handle()), TRUE);
        EXPECT_EQ(WaitForSingleObject(event.Handle(), 0), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(event.Handle(), 0),
                  test.manualReset ? WAIT_OBJECT_0 : DWORD{WAIT_TIMEOUT});

        EXPECT_EQ(SetEvent(event.Handle()), TRUE);
        EXPECT_EQ(ResetEvent(event.Handle()), TRUE);
        EXPECT_EQ(WaitForSingleObject(event.Handle(), 0), DWORD{WAIT_TIMEOUT});
    }
}

TEST(Events, CreationClearsTheLastError) {
    SetLastError(ERROR_ACCESS_DENIED);
    const OwnedEvent event;
    ASSERT_NE(event.Handle(), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SUCCESS});
}

TEST(Events, FiniteWaitLastsAtLeastTheTimeOut) {
    const OwnedEvent event;
    const auto start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(event.Handle(), 60), DWORD{WAIT_TIMEOUT});
    EXPECT_GE(Clock::now() - start, milliseconds(60));
}

TEST(Events, SetWakesABlockedWaiter) {
    const OwnedEvent event;
    DWORD result = WAIT_FAILED;
    HANDLE waiter = StartThread([&] { result = WaitForSingleObject(event.Handle(), 10'000); });
    Sleep(20);
    const auto start = Clock::now();
    SetEvent(event.Handle());
    Join(waiter);
    EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_LT(Clock::now() - start, milliseconds(5'000));
}

TEST(Events, AutoResetLetsOneWaiterThroughPerSet) {
    const OwnedEvent event(false, false);
    std::atomic<int> woken{0};
    std::vector<HANDLE> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.push_back(StartThread([&] {
            WaitForSingleObject(event.Handle(), INFINITE);
            ++woken;
        }));
    }
    for (int expected = 1; expected <= 3; ++expected) {
        SetEvent(event.Handle());
        while (woken < expected) {
            Sleep(1);
        }
        Sleep(30);
        EXPECT_EQ(woken, expected);
    }
    for (HANDLE waiter : waiters) {
        Join(waiter);
    }
}

TEST(Events, ThreadHandlesAreNotEvents) {
    HANDLE thread = StartThread([] {});
    ASSERT_NE(thread, nullptr);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(SetEvent(thread), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    EXPECT_EQ(ResetEvent(thread), FALSE);
    Join(thread);
}

TEST(Events, NamedEventsAreRefused) {
    SKIP_ON_WINDOWS_BECAUSE("a name would share the event with other processes, which nothing "
                            "here needs, so the layer refuses it");
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, WIDE("Local\\name")), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
}

} // namespace
