// Starting Windows Sockets and listing its transport protocols.
//
// On the Linux layer WinSock 2.2 is the highest version: a request for more is granted 2.2, and
// one below 1.0 fails. The catalogue holds TCP and UDP over IPv4, and over IPv6 when the system
// can make an IPv6 socket; its entries carry no provider identifier.
#pragma once

#include "winapi/base/types.h"

inline constexpr int SOCKET_ERROR = -1;

inline constexpr int AF_INET = 2;
inline constexpr int AF_INET6 = 23;
inline constexpr int SOCK_STREAM = 1;
inline constexpr int SOCK_DGRAM = 2;
inline constexpr int IPPROTO_TCP = 6;
inline constexpr int IPPROTO_UDP = 17;

constexpr WORD MAKEWORD(BYTE low, BYTE high) {
    return static_cast<WORD>(low | (high << 8));
}

inline constexpr int WSADESCRIPTION_LEN = 256;
inline constexpr int WSASYS_STATUS_LEN = 128;

// The Win64 order, which puts the two counts before the texts.
struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
};
using LPWSADATA = WSADATA*;

static_assert(sizeof(WSADATA) == 408);

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};

inline constexpr int MAX_PROTOCOL_CHAIN = 7;
inline constexpr int WSAPROTOCOL_LEN = 255;
inline constexpr int BASE_PROTOCOL = 1;

struct WSAPROTOCOLCHAIN {
    int ChainLen;
    DWORD ChainEntries[MAX_PROTOCOL_CHAIN];
};

struct WSAPROTOCOL_INFOW {
    DWORD dwServiceFlags1;
    DWORD dwServiceFlags2;
    DWORD dwServiceFlags3;
    DWORD dwServiceFlags4;
    DWORD dwProviderFlags;
    GUID ProviderId;
    DWORD dwCatalogEntryId;
    WSAPROTOCOLCHAIN ProtocolChain;
    int iVersion;
    int iAddressFamily;
    int iMaxSockAddr;
    int iMinSockAddr;
    int iSocketType;
    int iProtocol;
    int iProtocolMaxOffset;
    int iNetworkByteOrder;
    int iSecurityScheme;
    DWORD dwMessageSize;
    DWORD dwProviderReserved;
    WCHAR szProtocol[WSAPROTOCOL_LEN + 1];
};
using LPWSAPROTOCOL_INFOW = WSAPROTOCOL_INFOW*;
using LPINT = int*;

static_assert(sizeof(WSAPROTOCOL_INFOW) == 628);

inline constexpr DWORD XP1_CONNECTIONLESS = 0x00000001;
inline constexpr DWORD XP1_GUARANTEED_DELIVERY = 0x00000002;
inline constexpr DWORD XP1_GUARANTEED_ORDER = 0x00000004;
inline constexpr DWORD XP1_MESSAGE_ORIENTED = 0x00000008;
inline constexpr DWORD XP1_GRACEFUL_CLOSE = 0x00000020;
inline constexpr DWORD XP1_EXPEDITED_DATA = 0x00000040;
inline constexpr DWORD XP1_SUPPORT_BROADCAST = 0x00000200;
inline constexpr DWORD XP1_SUPPORT_MULTIPOINT = 0x00000400;
inline constexpr DWORD XP1_IFS_HANDLES = 0x00020000;

// Returns 0 or the error itself; each success needs its own WSACleanup.
int WSAStartup(WORD version, LPWSADATA data);
// Fails with WSANOTINITIALISED when every start has been cleaned up.
int WSACleanup();
// The number of entries, or SOCKET_ERROR; a buffer too small gives WSAENOBUFS with the length
// needed. `protocols`, when given, is a zero-terminated list of the protocol numbers wanted.
int WSAEnumProtocolsW(LPINT protocols, LPWSAPROTOCOL_INFOW buffer, LPDWORD length);
int WSAGetLastError();
void WSASetLastError(int error);
