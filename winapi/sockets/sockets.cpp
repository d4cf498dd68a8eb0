#include "winapi/sockets/sockets.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

#include "winapi/errors/errors.h"
#include "winapi/internal/fault_injection.h"
#include "winapi/sockets/ipv6_probe.h"
#include "winapi/sockets/sockets_for_test.h"

namespace {

struct Winsock {
    std::mutex mutex;
    int starts = 0;
    WORD highest = MAKEWORD(2, 2);
};

// Created on first use: programs start WinSock before main.
Winsock& TheWinsock() {
    static Winsock winsock;
    return winsock;
}

// Versions compare by major number, then minor.
int Ordered(WORD version) {
    return (version & 0xFF) << 8 | version >> 8;
}

WSAPROTOCOL_INFOW Entry(int family, int protocol, std::u16string_view name) {
    WSAPROTOCOL_INFOW entry{};
    const bool tcp = protocol == IPPROTO_TCP;
    entry.dwServiceFlags1 = tcp ? XP1_GUARANTEED_DELIVERY | XP1_GUARANTEED_ORDER |
                                      XP1_GRACEFUL_CLOSE | XP1_EXPEDITED_DATA | XP1_IFS_HANDLES
                                : XP1_CONNECTIONLESS | XP1_MESSAGE_ORIENTED |
                                      XP1_SUPPORT_BROADCAST | XP1_SUPPORT_MULTIPOINT |
                                      XP1_IFS_HANDLES;
    entry.ProtocolChain.ChainLen = BASE_PROTOCOL;
    entry.iVersion = 2;
    entry.iAddressFamily = family;
    // The sizes of sockaddr_in and sockaddr_in6.
    entry.iMaxSockAddr = entry.iMinSockAddr = family == AF_INET ? 16 : 28;
    entry.iSocketType = tcp ? SOCK_STREAM : SOCK_DGRAM;
    entry.iProtocol = protocol;
    // The largest UDP payload over IPv4.
    entry.dwMessageSize = tcp ? 0 : 65467;
    std::copy(name.begin(), name.end(), entry.szProtocol);
    return entry;
}

std::vector<WSAPROTOCOL_INFOW> Catalogue() {
    std::vector<WSAPROTOCOL_INFOW> entries = {
        Entry(AF_INET, IPPROTO_TCP, u"TCP over IPv4"),
        Entry(AF_INET, IPPROTO_UDP, u"UDP over IPv4"),
    };
    if (win32_layer::CanMakeIpv6Socket()) {
        entries.push_back(Entry(AF_INET6, IPPROTO_TCP, u"TCP over IPv6"));
        entries.push_back(Entry(AF_INET6, IPPROTO_UDP, u"UDP over IPv6"));
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].dwCatalogEntryId = static_cast<DWORD>(1001 + i);
    }
    return entries;
}

bool Wanted(const int* protocols, int protocol) {
    if (protocols == nullptr) {
        return true;
    }
    for (; *protocols != 0; ++protocols) {
        if (*protocols == protocol) {
            return true;
        }
    }
    return false;
}

int Fail(int error) {
    WSASetLastError(error);
    return SOCKET_ERROR;
}

} // namespace

namespace win32_layer {

void SetHighestWinsockVersion(WORD version) {
    const std::lock_guard lock(TheWinsock().mutex);
    TheWinsock().highest = version;
}

} // namespace win32_layer

int WSAStartup(WORD version, LPWSADATA data) {
    if (win32_layer::InjectedFailure(win32_layer::LayerCall::WSAStartup)) {
        return static_cast<int>(GetLastError());
    }
    if (data == nullptr) {
        return WSAEFAULT;
    }
    if ((version & 0xFF) == 0) {
        return WSAVERNOTSUPPORTED;
    }
    Winsock& winsock = TheWinsock();
    const std::lock_guard lock(winsock.mutex);
    *data = WSADATA{};
    data->wVersion = Ordered(version) < Ordered(winsock.highest) ? version : winsock.highest;
    data->wHighVersion = winsock.highest;
    std::strcpy(data->szDescription, "WinSock 2.0");
    std::strcpy(data->szSystemStatus, "Running");
    ++winsock.starts;
    return 0;
}

int WSACleanup() {
    Winsock& winsock = TheWinsock();
    const std::lock_guard lock(winsock.mutex);
    if (winsock.starts == 0) {
        return Fail(WSANOTINITIALISED);
    }
    --winsock.starts;
    return 0;
}

int WSAEnumProtocolsW(LPINT protocols, LPWSAPROTOCOL_INFOW buffer, LPDWORD length) {
    {
        Winsock& winsock = TheWinsock();
        const std::lock_guard lock(winsock.mutex);
        if (winsock.starts == 0) {
            return Fail(WSANOTINITIALISED);
        }
    }
    if (length == nullptr) {
        return Fail(WSAEFAULT);
    }
    std::vector<WSAPROTOCOL_INFOW> entries = Catalogue();
    std::erase_if(entries, [protocols](const WSAPROTOCOL_INFOW& entry) {
        return !Wanted(protocols, entry.iProtocol);
    });
    const auto needed = static_cast<DWORD>(entries.size() * sizeof(WSAPROTOCOL_INFOW));
    if (needed > 0 && (buffer == nullptr || *length < needed)) {
        *length = needed;
        return Fail(WSAENOBUFS);
    }
    std::copy(entries.begin(), entries.end(), buffer);
    return static_cast<int>(entries.size());
}

int WSAGetLastError() {
    return static_cast<int>(GetLastError());
}

void WSASetLastError(int error) {
    SetLastError(static_cast<DWORD>(error));
}
