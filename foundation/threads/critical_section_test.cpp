#include "foundation/threads/critical_section.h"

#include <gtest/gtest.h>

#include <atomic>
#include <type_traits>

#include "foundation/testing/started_thread.h"
#include "foundation/threads/sleep.h"

namespace {

static_assert(!std::is_copy_constructible_v<CriticalSection>);
static_assert(!std::is_copy_assignable_v<CriticalSection>);

class CriticalSectionTest : public ::testing::Test {
protected:
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

    CriticalSection section_;

private:
    std::atomic<bool> entered_ = false;
    FunctionBody contenderBody_{[this] {
        const CriticalSectionLock lock(section_);
        entered_ = true;
    }};
    HANDLE contender_ = nullptr;
};

TEST_F(CriticalSectionTest, TheOwnerMayEnterAgainWhileOthersWait) {
    {
        const CriticalSectionLock outer(section_);
        {
            const CriticalSectionLock inner(section_);
            StartContender();
            EXPECT_FALSE(Entered());
        }
        SleepMilliseconds(50);
        EXPECT_FALSE(Entered());
    }
    JoinContender();
    EXPECT_TRUE(Entered());
}

TEST_F(CriticalSectionTest, LeaveReleasesOnceHoweverOftenItIsCalled) {
    {
        const CriticalSectionLock outer(section_);
        {
            CriticalSectionLock inner(section_);
            inner.Leave();
            inner.Leave();
        }
        StartContender();
        EXPECT_FALSE(Entered());
    }
    JoinContender();
    EXPECT_TRUE(Entered());
}

TEST_F(CriticalSectionTest, EnterReturnsTheSectionAndLeavingNullDoesNothing) {
    EXPECT_EQ(EnterCriticalSectionWrapper(section_.Get()), section_.Get());
    LeaveCriticalSectionIfHeld(section_.Get());
    LeaveCriticalSectionIfHeld(nullptr);
    StartContender();
    JoinContender();
    EXPECT_TRUE(Entered());
}

TEST(CriticalSectionWrapperTest, InitializeReturnsTheSection) {
    CRITICAL_SECTION section;
    EXPECT_EQ(InitializeCriticalSectionWrapper(&section), &section);
    DeleteCriticalSectionWrapper(&section);
}

} // namespace
