#include "platform/sockets/winsock_startup.h"

#include <algorithm>
#include <vector>

#include "foundation/threads/sleep.h"
#include "platform/system_information/os_version.h"

namespace {

constexpr WORD kVersion = MAKEWORD(2, 2);
constexpr std::int32_t kWaitStep = 250;

} // namespace

WinsockStartup::WinsockStartup(bool startNow) {
    if (startNow)
        Start(0, 0, nullptr);
}

WinsockStartup::~WinsockStartup() {
    while (startCount_ > 0) {
        --startCount_;
        WSACleanup();
    }
}

bool WinsockStartup::Start(std::int32_t retries, std::int32_t waitMilliseconds,
                           CancelCallback cancel) {
    bool started = false;
    for (;;) {
        data_.wVersion = 0;
        data_.wHighVersion = 0;
        state_ = kAttempting;
        const int result = WSAStartup(kVersion, &data_);
        lastError_ = result;
        if (result == 0) {
            if (data_.wVersion == kVersion) {
                ++startCount_;
                state_ = kStarted;
                started = true;
                break;
            }
            // Started, but not as asked: no clean-up is owed for it.
            lastError_ = WSAVERNOTSUPPORTED;
            state_ = kWrongVersion;
        }
        if (retries <= 0)
            break;
        bool cancelled = false;
        for (std::int32_t remaining = waitMilliseconds; remaining > 0; remaining -= kWaitStep) {
            if (cancel != nullptr && cancel()) {
                cancelled = true;
                break;
            }
            SleepMilliseconds(static_cast<std::uint32_t>(std::min(remaining, kWaitStep)));
        }
        if (cancelled) {
            state_ = kCancelled;
            break;
        }
        state_ = kWaited;
        --retries;
    }
    started_ = started;
    TakeCensus();
    ipv4Available_ = ipv4Count_ > 0;
    ipv6Available_ = ipv6Count_ > 0;
    dualStack_ = ipv4Count_ > 0 && ipv6Count_ > 0 && IsVistaOrLater();
    return started;
}

void WinsockStartup::TakeCensus() {
    DWORD length = 0;
    if (WSAEnumProtocolsW(nullptr, nullptr, &length) != SOCKET_ERROR ||
        WSAGetLastError() != WSAENOBUFS)
        return;
    std::vector<WSAPROTOCOL_INFOW> protocols((length + sizeof(WSAPROTOCOL_INFOW) - 1) /
                                             sizeof(WSAPROTOCOL_INFOW));
    const int count = WSAEnumProtocolsW(nullptr, protocols.data(), &length);
    for (int i = 0; i < count && static_cast<std::size_t>(i) < protocols.size(); ++i) {
        const WSAPROTOCOL_INFOW& protocol = protocols[i];
        const int family = protocol.iAddressFamily;
        if (protocol.iProtocol == IPPROTO_TCP) {
            ++tcpCount_;
            tcpOverIpv4_ += family == AF_INET;
            tcpOverIpv6_ += family == AF_INET6;
        } else if (protocol.iProtocol == IPPROTO_UDP) {
            ++udpCount_;
            udpOverIpv4_ += family == AF_INET;
            udpOverIpv6_ += family == AF_INET6;
        }
        ipv4Count_ += family == AF_INET;
        ipv6Count_ += family == AF_INET6;
    }
}
