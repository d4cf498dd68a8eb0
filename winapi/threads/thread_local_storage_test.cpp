#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "winapi/testing/target_guards.h"
#include "winapi/threads/threads_for_test.h"
#include "winapi/win32.h"

namespace {

// As many indexes as Windows offers: 64 in the thread block and 1024 in its expansion.
constexpr DWORD kIndexCount = 1088;

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
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SUCCESS});
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

    OwnedEvent stored;
    OwnedEvent reallocated;
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

TEST(ThreadLocalStorage, IndexesOutOfRangeFail) {
    int value = 0;
    for (const DWORD index : {kIndexCount, TLS_OUT_OF_INDEXES}) {
        SCOPED_TRACE(index);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(TlsGetValue(index), nullptr);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(TlsSetValue(index, &value), FALSE);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(TlsFree(index), FALSE);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
    }
}

TEST(ThreadLocalStorage, FreeingAFreeIndexFails) {
    const DWORD freed = TlsAlloc();
    ASSERT_NE(freed, TLS_OUT_OF_INDEXES);
    ASSERT_EQ(TlsFree(freed), TRUE);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(TlsFree(freed), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
}

TEST(ThreadLocalStorage, FreedIndexesRefuseValues) {
    SKIP_ON_WINDOWS_BECAUSE("Windows checks only the range and serves a freed index; the layer "
                            "refuses it, which catches a use after TlsFree");
    const DWORD freed = TlsAlloc();
    ASSERT_NE(freed, TLS_OUT_OF_INDEXES);
    ASSERT_EQ(TlsFree(freed), TRUE);
    int value = 0;
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(TlsGetValue(freed), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(TlsSetValue(freed, &value), FALSE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
}

// Takes every free index; the process itself may hold a few already.
std::vector<DWORD> TakeAllIndexes() {
    std::vector<DWORD> taken;
    for (DWORD index = TlsAlloc(); index != TLS_OUT_OF_INDEXES; index = TlsAlloc()) {
        taken.push_back(index);
    }
    return taken;
}

TEST(ThreadLocalStorage, RunsOutAfterAllIndexesAreTaken) {
    const std::vector<DWORD> taken = TakeAllIndexes();
    ASSERT_FALSE(taken.empty());
    EXPECT_LE(taken.size(), kIndexCount);
    EXPECT_LT(taken.back(), kIndexCount);
    EXPECT_EQ(TlsAlloc(), TLS_OUT_OF_INDEXES);
    int value = 0;
    EXPECT_EQ(TlsSetValue(taken.back(), &value), TRUE);
    EXPECT_EQ(TlsGetValue(taken.back()), &value);

    const DWORD middle = taken[taken.size() / 2];
    ASSERT_EQ(TlsFree(middle), TRUE);
    EXPECT_EQ(TlsAlloc(), middle);
    for (const DWORD index : taken) {
        EXPECT_EQ(TlsFree(index), TRUE);
    }
}

TEST(ThreadLocalStorage, EveryIndexIsFreeAndRunningOutIsOutOfMemory) {
    SKIP_ON_WINDOWS_BECAUSE("the process holds a few indexes there, and Windows leaves the "
                            "code for running out undocumented");
    const std::vector<DWORD> taken = TakeAllIndexes();
    EXPECT_EQ(GetLastError(), DWORD{ERROR_NOT_ENOUGH_MEMORY});
    EXPECT_EQ(taken.size(), kIndexCount);
    for (const DWORD index : taken) {
        TlsFree(index);
    }
}

} // namespace
