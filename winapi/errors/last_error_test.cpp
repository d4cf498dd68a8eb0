#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "winapi/win32.h"

namespace {

// Starting and joining a thread may set the last error on Windows, so the threads meet through
// atomics alone while each reads its own.
TEST(LastError, BelongsToEachThread) {
    std::atomic<int> stage{0};
    DWORD seenByOther = 0xFFFF;
    std::thread other([&] {
        seenByOther = GetLastError();
        while (stage.load() != 1) {
        }
        SetLastError(ERROR_DISK_FULL);
        stage = 2;
    });
    SetLastError(ERROR_ACCESS_DENIED);
    stage = 1;
    while (stage.load() != 2) {
    }
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
    other.join();
    EXPECT_EQ(seenByOther, DWORD{ERROR_SUCCESS});
}

} // namespace
