#include "platform/sockets/winsock_startup.h"

#include <gtest/gtest.h>

#include "platform/system_information/os_version.h"

namespace {

// True when no start of WinSock is left open.
bool NothingStarted() {
    if (WSACleanup() == 0) {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
        return false;
    }
    return WSAGetLastError() == WSANOTINITIALISED;
}

TEST(WinsockStartupTest, AnImmediateStartCountsTheProtocols) {
    ASSERT_TRUE(NothingStarted());
    {
        const WinsockStartup winsock(true);
        EXPECT_TRUE(winsock.Started());
        EXPECT_EQ(winsock.CurrentState(), WinsockStartup::kStarted);
        EXPECT_EQ(winsock.LastError(), 0);
        EXPECT_EQ(winsock.StartCount(), 1);
        EXPECT_EQ(winsock.Data().wVersion, MAKEWORD(2, 2));

        EXPECT_GE(winsock.TcpOverIpv4Count(), 1);
        EXPECT_GE(winsock.UdpOverIpv4Count(), 1);
        EXPECT_GE(winsock.TcpCount(), winsock.TcpOverIpv4Count() + winsock.TcpOverIpv6Count());
        EXPECT_GE(winsock.UdpCount(), winsock.UdpOverIpv4Count() + winsock.UdpOverIpv6Count());
        EXPECT_GE(winsock.Ipv4Count(), winsock.TcpOverIpv4Count() + winsock.UdpOverIpv4Count());
        EXPECT_GE(winsock.Ipv6Count(), winsock.TcpOverIpv6Count() + winsock.UdpOverIpv6Count());
        EXPECT_TRUE(winsock.Ipv4Available());
        EXPECT_EQ(winsock.Ipv6Available(), winsock.Ipv6Count() > 0);
        EXPECT_EQ(winsock.DualStack(), winsock.Ipv6Count() > 0 && IsVistaOrLater());
    }
    EXPECT_TRUE(NothingStarted());
}

TEST(WinsockStartupTest, AnInstanceNotStartedHasNothingToCleanUp) {
    {
        const WinsockStartup winsock(false);
        EXPECT_EQ(winsock.CurrentState(), WinsockStartup::kNeverAttempted);
        EXPECT_FALSE(winsock.Started());
        EXPECT_EQ(winsock.StartCount(), 0);
        EXPECT_EQ(winsock.Ipv4Count(), 0);
        EXPECT_EQ(winsock.Data().wVersion, 0);
        EXPECT_FALSE(winsock.Ipv4Available());
    }
    EXPECT_TRUE(NothingStarted());
}

TEST(WinsockStartupTest, EveryStartAddsToTheCountsAndIsCleanedUp) {
    {
        WinsockStartup winsock(true);
        const std::int32_t tcp = winsock.TcpCount();
        const std::int32_t ipv4 = winsock.Ipv4Count();
        EXPECT_TRUE(winsock.Start(0, 0, nullptr));
        EXPECT_EQ(winsock.StartCount(), 2);
        EXPECT_EQ(winsock.TcpCount(), 2 * tcp);
        EXPECT_EQ(winsock.Ipv4Count(), 2 * ipv4);
    }
    EXPECT_TRUE(NothingStarted());
}

} // namespace
