#include "foundation/threads/critical_section.h"

#include <gtest/gtest.h>

#include <atomic>

#include "foundation/threads/sleep.h"
#include "foundation/threads/started_thread_for_test.h"

namespace {

class CriticalSectionTest : public ::testing::Test {
protected:
    void SetUp() override { EXPECT_EQ(InitializeCriticalSectionWrapper(&section_), &section_); }
    void TearDown() override { DeleteCriticalSectionWrapper(&section_); }

    // Starts a thread that takes the section; Entered tells whether it got in.
    void StartContender() {
        contender_ = StartThread(&contenderBody_);
        SleepMilliseconds(50);
    }
    bool Entered() const { return entered_; }
    void JoinContender() {
        JoinThread(contender_);
        contender_ = nullptr;
    }

    CRITICAL_SECTION section_;

private:
    std::atomic<bool> entered_ = false;
    FunctionBody contenderBody_{[this] {
        const CriticalSectionLock lock(&section_);
        entered_ = true;
    }};
    HANDLE contender_ = nullptr;
};

TEST_F(CriticalSectionTest, TheOwnerMayEnterAgainWhileOthersWait) {
    {
        const CriticalSectionLock outer(&section_);
        {
            const CriticalSectionLock inner(&section_);
            StartContender();
            EXPECT_FALSE(Entered());
        }
        SleepMilliseconds(50);
        EXPECT_FALSE(Entered());
    }
    JoinContender();
    EXPECT_TRUE(Entered());
}

TEST_F(CriticalSectionTest, LeaveReleasesOnceAndTheLocksEndDoesNotLeaveAgain) {
    {
        const CriticalSectionLock outer(&section_);
        {
            CriticalSectionLock inner(&section_);
            inner.Leave();
        }
        StartContender();
        EXPECT_FALSE(Entered());
    }
    JoinContender();
    EXPECT_TRUE(Entered());
}

TEST_F(CriticalSectionTest, EnterReturnsTheSectionAndLeavingNullDoesNothing) {
    EXPECT_EQ(EnterCriticalSectionWrapper(&section_), &section_);
    LeaveCriticalSectionIfHeld(&section_);
    LeaveCriticalSectionIfHeld(nullptr);
    StartContender();
    JoinContender();
    EXPECT_TRUE(Entered());
}

} // namespace
