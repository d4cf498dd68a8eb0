#include "foundation/threads/manual_reset_event.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/testing/started_thread.h"
#include "foundation/threads/sleep.h"
#include "foundation/threads/thread_start.h"

namespace {

constexpr std::int64_t kForever = std::numeric_limits<std::int64_t>::max();

TEST(MicrosecondsToMillisecondsTest, TruncatesClampsAndKeepsFiniteTimeOutsFinite) {
    struct Case {
        std::int64_t microseconds;
        DWORD milliseconds;
    };
    const std::vector<Case> cases = {
        {kForever, 0xFFFFFFFF},
        {kForever - 1, 0xFFFFFFFE},
        {std::numeric_limits<std::int64_t>::min(), 0},
        {-5000, 0},
        {-1, 0},
        {0, 0},
        {999, 0},
        {1000, 1},
        {1999, 1},
        {1000000, 1000},
        {4294967294999, 0xFFFFFFFE},
        {4294967295000, 0xFFFFFFFE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MicrosecondsToMilliseconds(c.microseconds), c.milliseconds) << c.microseconds;
}

TEST(ManualResetEventTest, StaysSignalledFromSetUntilReset) {
    enum class Step { None, Set, Reset };
    struct Case {
        Step step;
        bool signalled;
    };
    const std::vector<Case> steps = {
        {Step::None, false}, {Step::Reset, false}, {Step::Set, true},   {Step::None, true},
        {Step::Set, true},   {Step::Reset, false}, {Step::None, false},
    };
    ManualResetEvent event;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].step == Step::Set)
            event.Set();
        if (steps[i].step == Step::Reset)
            event.Reset();
        EXPECT_EQ(event.Wait(0), steps[i].signalled) << i;
    }
}

TEST(ManualResetEventTest, WaitTimesOutAfterItsTimeOut) {
    ManualResetEvent event;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.Wait(30000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
}

TEST(ManualResetEventTest, SetOnAnotherThreadEndsAnEndlessWait) {
    ManualResetEvent event;
    FunctionBody setter([&] {
        SleepMilliseconds(20);
        event.Set();
    });
    const HANDLE thread = StartThread(&setter);
    EXPECT_TRUE(event.Wait(kForever));
    JoinThread(thread);
}

TEST(ManualResetEventTest, AClosedEventRaisesWindowsError) {
    ManualResetEvent event;
    event.Close();
    event.Close();
    EXPECT_THROW(event.Wait(0), Windows::Error);
    EXPECT_THROW(event.Set(), Windows::Error);
    EXPECT_THROW(event.Reset(), Windows::Error);
}

} // namespace
