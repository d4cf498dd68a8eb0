// Start-up under failures and old versions that the Linux layer makes on demand.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/sockets/winsock_startup.h"
#include "winapi/sockets/sockets_for_test.h"
#include "winapi/testing/fault_injection.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the cancel callback saw; a plain function pointer reaches it only through a global.
struct CancelLog {
    static inline std::vector<Clock::time_point> queries;
    static inline int answerTrueAt = -1;
    static inline bool keepFailing = false;

    static void Reset() {
        queries.clear();
        answerTrueAt = -1;
        keepFailing = false;
    }

    static bool Ask() {
        queries.push_back(Clock::now());
        // Re-armed at each query, so that the next attempt fails too.
        if (keepFailing)
            win32_layer::FailNextCall(LayerCall::WSAStartup, 10091);
        return static_cast<int>(queries.size()) == answerTrueAt;
    }
};

class WinsockStartupFaultTest : public ::testing::Test {
protected:
    void SetUp() override { CancelLog::Reset(); }
    void TearDown() override { win32_layer::ClearInjectedFailures(); }
};

long long MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

TEST_F(WinsockStartupFaultTest, FailedAttemptsAreRetriedAfterWaitsInQuarterSeconds) {
    const ScopedFaultInjection failing(LayerCall::WSAStartup, 10091);
    CancelLog::keepFailing = true;
    WinsockStartup winsock(false);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(winsock.Start(2, 600, &CancelLog::Ask));
    const Clock::time_point end = Clock::now();
    EXPECT_EQ(winsock.CurrentState(), WinsockStartup::kAttempting);
    EXPECT_EQ(winsock.LastError(), 10091);
    EXPECT_EQ(winsock.StartCount(), 0);
    // Not started, so the census found nothing.
    EXPECT_EQ(winsock.Ipv4Count(), 0);
    ASSERT_EQ(CancelLog::queries.size(), 6u);
    const std::vector<Clock::time_point>& q = CancelLog::queries;
    EXPECT_GE(MillisecondsBetween(q[0], q[1]), 250);
    EXPECT_GE(MillisecondsBetween(q[1], q[2]), 250);
    // The last part of a wait is what remains of it, not a whole quarter.
    EXPECT_GE(MillisecondsBetween(q[2], q[3]), 100);
    EXPECT_LT(MillisecondsBetween(q[2], q[3]), 250);
    EXPECT_GE(MillisecondsBetween(q[5], end), 100);
    EXPECT_GE(MillisecondsBetween(start, end), 1200);
}

TEST_F(WinsockStartupFaultTest, ACancelledWaitEndsTheAttemptsButNotTheCensus) {
    // Started elsewhere in the process, so that the census can read the catalogue.
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    {
        const ScopedFaultInjection failing(LayerCall::WSAStartup, 10091);
        CancelLog::answerTrueAt = 1;
        WinsockStartup winsock(false);
        EXPECT_FALSE(winsock.Start(5, 1000, &CancelLog::Ask));
        EXPECT_EQ(winsock.CurrentState(), WinsockStartup::kCancelled);
        EXPECT_FALSE(winsock.Started());
        EXPECT_EQ(CancelLog::queries.size(), 1u);
        EXPECT_GE(winsock.Ipv4Count(), 2);
        EXPECT_EQ(winsock.StartCount(), 0);
    }
    EXPECT_EQ(WSACleanup(), 0);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
}

TEST_F(WinsockStartupFaultTest, AnotherVersionIsNeitherCountedNorCleanedUp) {
    struct Case {
        std::int32_t retries;
        std::int32_t wait;
        std::size_t queries;
    };
    const Case cases[] = {
        {0, 500, 0},
        {2, 0, 0},
        {2, -100, 0},
        {1, 300, 2},
    };
    for (const Case& c : cases) {
        CancelLog::Reset();
        {
            const ScopedHighestWinsockVersion older(MAKEWORD(1, 1));
            WinsockStartup winsock(false);
            EXPECT_FALSE(winsock.Start(c.retries, c.wait, &CancelLog::Ask));
            EXPECT_EQ(winsock.CurrentState(), WinsockStartup::kWrongVersion);
            EXPECT_EQ(winsock.LastError(), WSAVERNOTSUPPORTED);
            EXPECT_EQ(winsock.StartCount(), 0);
            EXPECT_EQ(winsock.Data().wVersion, MAKEWORD(1, 1));
            EXPECT_EQ(CancelLog::queries.size(), c.queries) << c.retries << " " << c.wait;
        }
        // Each attempt left WinSock started, and the instance owed it no clean-up.
        for (std::int32_t attempt = 0; attempt <= c.retries; ++attempt)
            EXPECT_EQ(WSACleanup(), 0) << attempt;
        EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    }
}

TEST_F(WinsockStartupFaultTest, ARetryAfterAFailureStartsAndCountsOnce) {
    const ScopedFaultInjection failing(LayerCall::WSAStartup, 10091);
    {
        WinsockStartup winsock(false);
        EXPECT_TRUE(winsock.Start(3, 10, &CancelLog::Ask));
        EXPECT_EQ(winsock.CurrentState(), WinsockStartup::kStarted);
        EXPECT_EQ(winsock.LastError(), 0);
        EXPECT_EQ(winsock.StartCount(), 1);
        EXPECT_EQ(CancelLog::queries.size(), 1u);
        EXPECT_GE(winsock.Ipv4Count(), 2);
        // The layer's system is no Windows Vista, so there is no dual stack whatever it has.
        EXPECT_FALSE(winsock.DualStack());
    }
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
}

} // namespace
