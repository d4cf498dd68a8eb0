// Starting WinSock and reading its protocol catalogue, on both targets.
#include <gtest/gtest.h>

#include <vector>

#include "winapi/testing/target_guards.h"
#include "winapi/win32.h"

namespace {

// Starts 2.2 for one test and cleans up after it.
class StartedWinsock {
public:
    StartedWinsock() : result_(WSAStartup(MAKEWORD(2, 2), &data_)) {}
    StartedWinsock(const StartedWinsock&) = delete;
    StartedWinsock& operator=(const StartedWinsock&) = delete;
    ~StartedWinsock() {
        if (result_ == 0)
            WSACleanup();
    }
    int Result() const { return result_; }
    const WSADATA& Data() const { return data_; }

private:
    WSADATA data_{};
    int result_;
};

std::vector<WSAPROTOCOL_INFOW> Protocols(int* filter = nullptr) {
    DWORD length = 0;
    EXPECT_EQ(WSAEnumProtocolsW(filter, nullptr, &length), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOBUFS);
    EXPECT_EQ(length % sizeof(WSAPROTOCOL_INFOW), 0u);
    std::vector<WSAPROTOCOL_INFOW> protocols(length / sizeof(WSAPROTOCOL_INFOW));
    const int count = WSAEnumProtocolsW(filter, protocols.data(), &length);
    EXPECT_EQ(count, static_cast<int>(protocols.size()));
    return protocols;
}

int CountOf(const std::vector<WSAPROTOCOL_INFOW>& protocols, int family, int protocol) {
    int count = 0;
    for (const WSAPROTOCOL_INFOW& entry : protocols)
        count += entry.iAddressFamily == family && entry.iProtocol == protocol;
    return count;
}

TEST(Winsock, CleanupWithoutAStartFails) {
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST(Winsock, EachStartNeedsItsOwnCleanup) {
    WSADATA first{};
    WSADATA second{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &first), 0);
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &second), 0);
    EXPECT_EQ(first.wVersion, MAKEWORD(2, 2));
    EXPECT_EQ(first.wHighVersion, MAKEWORD(2, 2));
    EXPECT_EQ(WSACleanup(), 0);
    EXPECT_EQ(WSACleanup(), 0);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST(Winsock, AStartIsGrantedTheVersionAskedForUpTo22) {
    struct Case {
        WORD asked;
        WORD granted;
    };
    const Case cases[] = {
        {MAKEWORD(1, 1), MAKEWORD(1, 1)},
        {MAKEWORD(2, 0), MAKEWORD(2, 0)},
        {MAKEWORD(2, 2), MAKEWORD(2, 2)},
        {MAKEWORD(3, 0), MAKEWORD(2, 2)},
    };
    for (const Case& c : cases) {
        WSADATA data{};
        ASSERT_EQ(WSAStartup(c.asked, &data), 0) << c.asked;
        EXPECT_EQ(data.wVersion, c.granted) << c.asked;
        WSACleanup();
    }
}

TEST(Winsock, TheCatalogueNeedsAStart) {
    SKIP_UNDER_WINE_BECAUSE("Wine lists the protocols before WSAStartup");
    DWORD length = 0;
    EXPECT_EQ(WSAEnumProtocolsW(nullptr, nullptr, &length), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST(Winsock, TheCatalogueListsTcpAndUdpOverIpv4) {
    const StartedWinsock winsock;
    ASSERT_EQ(winsock.Result(), 0);
    const std::vector<WSAPROTOCOL_INFOW> protocols = Protocols();
    EXPECT_GE(CountOf(protocols, AF_INET, IPPROTO_TCP), 1);
    EXPECT_GE(CountOf(protocols, AF_INET, IPPROTO_UDP), 1);
    for (const WSAPROTOCOL_INFOW& entry : protocols) {
        if (entry.iProtocol == IPPROTO_TCP) {
            EXPECT_EQ(entry.iSocketType, SOCK_STREAM);
        } else if (entry.iProtocol == IPPROTO_UDP) {
            EXPECT_EQ(entry.iSocketType, SOCK_DGRAM);
        }
    }
}

TEST(Winsock, AFilterKeepsOnlyTheProtocolsNamed) {
    const StartedWinsock winsock;
    ASSERT_EQ(winsock.Result(), 0);
    int udpOnly[] = {IPPROTO_UDP, 0};
    const std::vector<WSAPROTOCOL_INFOW> protocols = Protocols(udpOnly);
    ASSERT_FALSE(protocols.empty());
    for (const WSAPROTOCOL_INFOW& entry : protocols)
        EXPECT_EQ(entry.iProtocol, IPPROTO_UDP);
}

TEST(Winsock, ABufferOneEntryShortReportsTheWholeLength) {
    const StartedWinsock winsock;
    ASSERT_EQ(winsock.Result(), 0);
    const std::vector<WSAPROTOCOL_INFOW> all = Protocols();
    ASSERT_FALSE(all.empty());
    std::vector<WSAPROTOCOL_INFOW> buffer(all.size());
    DWORD length = static_cast<DWORD>((all.size() - 1) * sizeof(WSAPROTOCOL_INFOW));
    EXPECT_EQ(WSAEnumProtocolsW(nullptr, buffer.data(), &length), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOBUFS);
    EXPECT_EQ(length, all.size() * sizeof(WSAPROTOCOL_INFOW));
}

} // namespace
