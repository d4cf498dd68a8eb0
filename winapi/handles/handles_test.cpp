#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <vector>

#include "winapi/testing/target_guards.h"
#include "winapi/threads/threads_for_test.h"
#include "winapi/win32.h"

namespace {

TEST(Handles, AreNeverNullOrInvalidAndDistinctWhileOpen) {
    std::set<HANDLE> open;
    for (int i = 0; i < 50; ++i) {
        HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ASSERT_NE(event, nullptr);
        ASSERT_NE(event, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(open.insert(event).second);
    }
    for (HANDLE event : open) {
        EXPECT_EQ(CloseHandle(event), TRUE);
    }
}

TEST(Handles, ClosedValuesAreNeverReused) {
    SKIP_ON_WINDOWS_BECAUSE(
        "Windows hands a closed value out again at once; the layer never "
        "does, so that a stale handle fails instead of reaching a later object");
    std::set<HANDLE> seen;
    for (int round = 0; round < 3; ++round) {
        std::vector<HANDLE> open;
        for (int i = 0; i < 50; ++i) {
            HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            ASSERT_NE(event, nullptr);
            EXPECT_TRUE(seen.insert(event).second);
            open.push_back(event);
        }
        for (HANDLE event : open) {
            EXPECT_EQ(CloseHandle(event), TRUE);
        }
    }
}

TEST(Handles, BadHandlesFailEveryCall) {
    HANDLE closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(closed);
    const std::vector<HANDLE> handles = {nullptr, reinterpret_cast<HANDLE>(0x12345), closed};
    for (HANDLE handle : handles) {
        SCOPED_TRACE(handle);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(SetEvent(handle), FALSE);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(ResetEvent(handle), FALSE);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
        DWORD error = 0;
        EXPECT_EQ(WaitResultWithError(handle, INFINITE, &error), WAIT_FAILED);
        EXPECT_EQ(error, DWORD{ERROR_INVALID_HANDLE});
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(CloseHandle(handle), FALSE);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    }
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

} // namespace
