// What only the Linux layer can show: its catalogue follows the system's IPv6 support, and it
// can play an older WinSock or fail to start.
#include <gtest/gtest.h>

#include <vector>

#include "winapi/sockets/ipv6_probe.h"
#include "winapi/sockets/sockets_for_test.h"
#include "winapi/testing/fault_injection.h"

namespace {

TEST(WinsockLayer, TheCatalogueHasIpv6EntriesExactlyWhenTheSystemHasIpv6) {
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    DWORD length = 0;
    ASSERT_EQ(WSAEnumProtocolsW(nullptr, nullptr, &length), SOCKET_ERROR);
    std::vector<WSAPROTOCOL_INFOW> protocols(length / sizeof(WSAPROTOCOL_INFOW));
    ASSERT_EQ(WSAEnumProtocolsW(nullptr, protocols.data(), &length),
              static_cast<int>(protocols.size()));
    WSACleanup();
    // The layer's own family numbers are Windows', not the C library's.
    std::vector<std::pair<int, int>> seen;
    for (const WSAPROTOCOL_INFOW& entry : protocols)
        seen.emplace_back(entry.iAddressFamily, entry.iProtocol);
    std::vector<std::pair<int, int>> expected = {{2, 6}, {2, 17}};
    if (win32_layer::CanMakeIpv6Socket()) {
        expected.emplace_back(23, 6);
        expected.emplace_back(23, 17);
    }
    EXPECT_EQ(seen, expected);
}

TEST(WinsockLayer, AnOlderWinsockGrantsItsHighestVersion) {
    const ScopedHighestWinsockVersion older(MAKEWORD(1, 1));
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(data.wVersion, MAKEWORD(1, 1));
    EXPECT_EQ(data.wHighVersion, MAKEWORD(1, 1));
    EXPECT_EQ(WSACleanup(), 0);
}

TEST(WinsockLayer, RefusedStartsNeedNoCleanup) {
    WSADATA data{};
    EXPECT_EQ(WSAStartup(MAKEWORD(0, 9), &data), WSAVERNOTSUPPORTED);
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), nullptr), WSAEFAULT);
    {
        const ScopedFaultInjection failing(LayerCall::WSAStartup, 10091);
        EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 10091);
    }
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

} // namespace
