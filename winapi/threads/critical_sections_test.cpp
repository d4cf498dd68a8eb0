#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "winapi/threads/threads_for_test.h"
#include "winapi/win32.h"

namespace {

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
