// Starting Windows Sockets 2.2 for the process, and the census of its transport protocols.
#pragma once

#include <cstdint>

#include "winapi/win32.h"

class WinsockStartup {
public:
    // Answers true when the caller gives up waiting.
    using CancelCallback = bool (*)();

    enum State : std::int32_t {
        kNeverAttempted = 0,
        kStarted = 1,
        kWrongVersion = 2,
        kAttempting = 3, // stays when the attempt failed
        kWaited = 4,
        kCancelled = 5,
    };

    // `startNow` makes one attempt, without waiting.
    explicit WinsockStartup(bool startNow);
    WinsockStartup(const WinsockStartup&) = delete;
    WinsockStartup& operator=(const WinsockStartup&) = delete;
    // One WSACleanup for every start that obtained 2.2.
    ~WinsockStartup();

    // Up to 1 + `retries` attempts, `waitMilliseconds` apart; `cancel`, when given, is asked
    // every 250 ms of a wait. The census follows whatever the outcome, and adds to the counts.
    bool Start(std::int32_t retries, std::int32_t waitMilliseconds, CancelCallback cancel);

    std::int32_t TcpCount() const { return tcpCount_; }
    std::int32_t UdpCount() const { return udpCount_; }
    std::int32_t Ipv4Count() const { return ipv4Count_; }
    std::int32_t Ipv6Count() const { return ipv6Count_; }
    std::int32_t TcpOverIpv4Count() const { return tcpOverIpv4_; }
    std::int32_t TcpOverIpv6Count() const { return tcpOverIpv6_; }
    std::int32_t UdpOverIpv4Count() const { return udpOverIpv4_; }
    std::int32_t UdpOverIpv6Count() const { return udpOverIpv6_; }
    // WSAStartup's result, or WSAVERNOTSUPPORTED when it granted another version.
    std::int32_t LastError() const { return lastError_; }
    const WSADATA& Data() const { return data_; }
    std::int32_t StartCount() const { return startCount_; }
    State CurrentState() const { return static_cast<State>(state_); }
    bool Ipv4Available() const { return ipv4Available_; }
    bool Ipv6Available() const { return ipv6Available_; }
    bool DualStack() const { return dualStack_; }
    bool Started() const { return started_; }

private:
    void TakeCensus();

    std::int32_t tcpCount_ = 0;
    std::int32_t udpCount_ = 0;
    std::int32_t ipv4Count_ = 0;
    std::int32_t ipv6Count_ = 0;
    std::int32_t tcpOverIpv4_ = 0;
    std::int32_t tcpOverIpv6_ = 0;
    std::int32_t udpOverIpv4_ = 0;
    std::int32_t udpOverIpv6_ = 0;
    std::int32_t lastError_ = 0;
    WSADATA data_{};
    std::int32_t startCount_ = 0;
    std::int32_t state_ = kNeverAttempted;
    bool ipv4Available_ = false;
    bool ipv6Available_ = false;
    bool dualStack_ = false;
    bool started_ = false;
};
