#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "winapi/posix/handle_table.h"
#include "winapi/win32.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

unsigned RunBody(void* argument) {
    const std::unique_ptr<std::function<void()>> body(
        static_cast<std::function<void()>*>(argument));
    (*body)();
    return 0;
}

HANDLE StartThread(std::function<void()> body, unsigned* threadId = nullptr,
                   unsigned stackSize = 0) {
    auto* heapBody = new std::function<void()>(std::move(body));
    const std::uintptr_t handle =
        _beginthreadex(nullptr, stackSize, RunBody, heapBody, 0, threadId);
    if (handle == 0) {
        delete heapBody;
    }
    return reinterpret_cast<HANDLE>(handle);
}

void Join(HANDLE thread) {
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    ASSERT_EQ(CloseHandle(thread), TRUE);
}

// Owns an event for one test.
class Event {
public:
    explicit Event(bool manualReset = true, bool signalled = false)
        : handle_(CreateEventW(nullptr, manualReset, signalled, nullptr)) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    ~Event() { CloseHandle(handle_); }
    HANDLE Handle() const { return handle_; }

private:
    HANDLE handle_;
};

DWORD WaitResultWithError(HANDLE handle, DWORD timeOut, DWORD* error) {
    SetLastError(ERROR_SUCCESS);
    const DWORD result = WaitForSingleObject(handle, timeOut);
    *error = GetLastError();
    return result;
}

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
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    DWORD error = 0;
    EXPECT_EQ(WaitResultWithError(thread, 0, &error), WAIT_FAILED);
    EXPECT_EQ(error, ERROR_INVALID_HANDLE);
}

TEST(Threads, WaitTimesOutWhileTheThreadRuns) {
    Event gate;
    HANDLE thread = StartThread([&gate] { WaitForSingleObject(gate.Handle(), INFINITE); });
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
    SetEvent(gate.Handle());
    Join(thread);
}

TEST(Threads, SeveralThreadsCanWaitForOne) {
    Event gate;
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
    Event gate;
    Event finished;
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

TEST(Threads, RefusesUnservedStarts) {
    constexpr unsigned kCreateSuspended = 0x4;
    errno = 0;
    EXPECT_EQ(_beginthreadex(nullptr, 0, RunBody, nullptr, kCreateSuspended, nullptr), 0u);
    EXPECT_EQ(errno, EINVAL);
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

TEST(Handles, AreNeverNullInvalidOrReused) {
    std::set<HANDLE> seen;
    for (int round = 0; round < 3; ++round) {
        std::vector<HANDLE> open;
        for (int i = 0; i < 50; ++i) {
            HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            ASSERT_NE(event, nullptr);
            ASSERT_NE(event, INVALID_HANDLE_VALUE);
            EXPECT_TRUE(seen.insert(event).second);
            open.push_back(event);
        }
        for (HANDLE event : open) {
            EXPECT_EQ(CloseHandle(event), TRUE);
        }
    }
}

// A kind that cannot be waited on, as later kinds (find handles, keys) will be.
class PlainObject final : public win32_layer::KernelObject {
public:
    explicit PlainObject(bool& destroyed) : destroyed_(destroyed) {}
    ~PlainObject() override { destroyed_ = true; }

private:
    bool& destroyed_;
};

TEST(Handles, OtherKindsCanBeClosedButNotWaitedOn) {
    bool destroyed = false;
    HANDLE handle = win32_layer::AddHandle(std::make_shared<PlainObject>(destroyed));
    ASSERT_NE(handle, nullptr);
    DWORD error = 0;
    EXPECT_EQ(WaitResultWithError(handle, 0, &error), WAIT_FAILED);
    EXPECT_EQ(error, ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetEvent(handle), FALSE);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(CloseHandle(handle), TRUE);
    EXPECT_TRUE(destroyed);
}

TEST(Handles, ConcurrentUseFromManyThreads) {
    std::vector<HANDLE> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 8; ++t) {
        threads.push_back(StartThread([&failures] {
            for (int i = 0; i < 500; ++i) {
                HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
                if (event == nullptr || SetEvent(event) != TRUE ||
                    WaitForSingleObject(event, 0) != WAIT_OBJECT_0 || CloseHandle(event) != TRUE) {
                    ++failures;
                }
            }
        }));
    }
    for (HANDLE thread : threads) {
        Join(thread);
    }
    EXPECT_EQ(failures, 0);
}

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
        const Event event(test.manualReset, test.initialState);
        ASSERT_NE(event.Handle(), nullptr);
        EXPECT_EQ(WaitForSingleObject(event.Handle(), 0), test.firstWait);
        EXPECT_EQ(WaitForSingleObject(event.Handle(), 0), test.secondWait);

        EXPECT_EQ(SetEvent(event.Handle()), TRUE);
        EXPECT_EQ(SetEvent(event.Handle()), TRUE);
        EXPECT_EQ(WaitForSingleObject(event.Handle(), 0), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(event.Handle(), 0),
                  test.manualReset ? WAIT_OBJECT_0 : WAIT_TIMEOUT);

        EXPECT_EQ(SetEvent(event.Handle()), TRUE);
        EXPECT_EQ(ResetEvent(event.Handle()), TRUE);
        EXPECT_EQ(WaitForSingleObject(event.Handle(), 0), WAIT_TIMEOUT);
    }
}

TEST(Events, FiniteWaitLastsAtLeastTheTimeOut) {
    const Event event;
    const auto start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(event.Handle(), 60), WAIT_TIMEOUT);
    EXPECT_GE(Clock::now() - start, milliseconds(60));
}

TEST(Events, SetWakesABlockedWaiter) {
    const Event event;
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
    const Event event(false, false);
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

TEST(Events, BadHandlesFail) {
    HANDLE closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(closed);
    const std::vector<HANDLE> handles = {nullptr, INVALID_HANDLE_VALUE,
                                         reinterpret_cast<HANDLE>(0x12345), closed};
    for (HANDLE handle : handles) {
        SCOPED_TRACE(handle);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(SetEvent(handle), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(ResetEvent(handle), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        DWORD error = 0;
        EXPECT_EQ(WaitResultWithError(handle, INFINITE, &error), WAIT_FAILED);
        EXPECT_EQ(error, ERROR_INVALID_HANDLE);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(CloseHandle(handle), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

TEST(Events, ThreadHandlesAreNotEvents) {
    HANDLE thread = StartThread([] {});
    ASSERT_NE(thread, nullptr);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(SetEvent(thread), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ResetEvent(thread), FALSE);
    Join(thread);
}

TEST(Events, NamedEventsAreRefused) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, u"Local\\name"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Allocates a TLS index for one test and frees it at the end unless the test did.
class TlsIndex {
public:
    TlsIndex() : index_(TlsAlloc()) {}
    TlsIndex(const TlsIndex&) = delete;
    TlsIndex& operator=(const TlsIndex&) = delete;
    ~TlsIndex() {
        if (index_ != TLS_OUT_OF_INDEXES) {
            TlsFree(index_);
        }
    }
    DWORD Index() const { return index_; }
    DWORD Release() { return std::exchange(index_, TLS_OUT_OF_INDEXES); }

private:
    DWORD index_;
};

TEST(ThreadLocalStorage, SuccessfulGetClearsTheLastError) {
    const TlsIndex slot;
    ASSERT_NE(slot.Index(), TLS_OUT_OF_INDEXES);
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(TlsGetValue(slot.Index()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

TEST(ThreadLocalStorage, ValuesBelongToEachThread) {
    const TlsIndex slot;
    int mine = 0;
    int theirs = 0;
    ASSERT_EQ(TlsSetValue(slot.Index(), &mine), TRUE);
    void* seenFirst = &mine;
    void* seenAfterSet = nullptr;
    HANDLE thread = StartThread([&] {
        seenFirst = TlsGetValue(slot.Index());
        TlsSetValue(slot.Index(), &theirs);
        seenAfterSet = TlsGetValue(slot.Index());
    });
    Join(thread);
    EXPECT_EQ(seenFirst, nullptr);
    EXPECT_EQ(seenAfterSet, &theirs);
    EXPECT_EQ(TlsGetValue(slot.Index()), &mine);
}

TEST(ThreadLocalStorage, FreeingClearsTheSlotInEveryThread) {
    TlsIndex slot;
    const DWORD index = slot.Index();
    int value = 0;
    ASSERT_EQ(TlsSetValue(index, &value), TRUE);

    Event stored;
    Event reallocated;
    void* seenAfterReallocation = &value;
    HANDLE thread = StartThread([&] {
        TlsSetValue(index, &value);
        SetEvent(stored.Handle());
        WaitForSingleObject(reallocated.Handle(), INFINITE);
        seenAfterReallocation = TlsGetValue(index);
    });
    WaitForSingleObject(stored.Handle(), INFINITE);
    ASSERT_EQ(TlsFree(slot.Release()), TRUE);
    const TlsIndex again;
    ASSERT_EQ(again.Index(), index) << "the lowest free index is handed out first";
    SetEvent(reallocated.Handle());
    Join(thread);
    EXPECT_EQ(seenAfterReallocation, nullptr);
    EXPECT_EQ(TlsGetValue(index), nullptr);
}

TEST(ThreadLocalStorage, InvalidIndexesFail) {
    DWORD freed = TlsAlloc();
    ASSERT_NE(freed, TLS_OUT_OF_INDEXES);
    ASSERT_EQ(TlsFree(freed), TRUE);
    int value = 0;
    for (const DWORD index : {freed, DWORD{1088}, TLS_OUT_OF_INDEXES}) {
        SCOPED_TRACE(index);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(TlsGetValue(index), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(TlsSetValue(index, &value), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(TlsFree(index), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
}

TEST(ThreadLocalStorage, RunsOutAfterAllSlotsAreTaken) {
    std::vector<DWORD> taken;
    for (DWORD index = TlsAlloc(); index != TLS_OUT_OF_INDEXES; index = TlsAlloc()) {
        taken.push_back(index);
    }
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(taken.size(), 1088u);
    int value = 0;
    EXPECT_EQ(TlsSetValue(taken.back(), &value), TRUE);
    EXPECT_EQ(TlsGetValue(taken.back()), &value);

    ASSERT_EQ(TlsFree(taken[100]), TRUE);
    EXPECT_EQ(TlsAlloc(), taken[100]);
    for (const DWORD index : taken) {
        EXPECT_EQ(TlsFree(index), TRUE);
    }
}

// Owns a critical section for one test.
class Section {
public:
    Section() { InitializeCriticalSection(&section_); }
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;
    ~Section() { DeleteCriticalSection(&section_); }
    LPCRITICAL_SECTION Get() { return &section_; }

private:
    CRITICAL_SECTION section_;
};

TEST(CriticalSections, OwnerMayEnterAgainAndOthersWaitForTheLastLeave) {
    Section section;
    EnterCriticalSection(section.Get());
    EnterCriticalSection(section.Get());
    std::atomic<bool> entered{false};
    HANDLE other = StartThread([&] {
        EnterCriticalSection(section.Get());
        entered = true;
        LeaveCriticalSection(section.Get());
    });
    Sleep(20);
    EXPECT_FALSE(entered);
    LeaveCriticalSection(section.Get());
    Sleep(20);
    EXPECT_FALSE(entered);
    LeaveCriticalSection(section.Get());
    Join(other);
    EXPECT_TRUE(entered);
}

TEST(CriticalSections, ExcludeEachOther) {
    Section section;
    long counter = 0;
    std::vector<HANDLE> threads;
    for (int t = 0; t < 4; ++t) {
        threads.push_back(StartThread([&] {
            for (int i = 0; i < 20'000; ++i) {
                EnterCriticalSection(section.Get());
                counter = counter + 1;
                LeaveCriticalSection(section.Get());
            }
        }));
    }
    for (HANDLE thread : threads) {
        Join(thread);
    }
    EXPECT_EQ(counter, 80'000);
}

} // namespace
