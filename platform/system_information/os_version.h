// Which Windows the system runs on. Windows shows programs that declare no newer version a
// compatible older one, so the real version comes from kernel32.dll's product version and, on
// Windows 10, from the registry.
#pragma once

#include <cstdint>
#include <mutex>

#include "winapi/win32.h"

// Orders versions by platform, major, minor, service pack and sub for values below 10^4;
// larger values wrap in 64 bits.
std::uint64_t OSVersionKey(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                           std::uint32_t servicePack, std::uint32_t sub);

struct OSVersion {
    WCHAR name[50];
    std::uint32_t platform;
    std::uint32_t major;
    std::uint32_t minor;
    std::uint32_t servicePack;
    std::uint32_t sub;
    std::uint64_t key;

    // Named "???", with every number 0xFFFFFFFF.
    static OSVersion Unset();
};

// A count of 4 when kernel32.dll's version was read; otherwise 0 with every number 0.
struct RealOSVersionResult {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t revision = 0;
    std::int32_t count = 0;
};

// What the system says of its version, each part gathered once and kept.
class OSVersionSource {
public:
    OSVersionSource() = default;
    OSVersionSource(const OSVersionSource&) = delete;
    OSVersionSource& operator=(const OSVersionSource&) = delete;

    // The process's own, kept until it ends.
    static OSVersionSource& Process();

    // An error from converting the system directory's name leaves nothing kept, so the next call
    // tries again.
    const RealOSVersionResult& RealOSVersion();
    // GetVersionExW's answer with the real major, minor and build. Raises ExceptionPL "Unable to
    // gather OSVERSIONINFOEX" when it cannot be had, then and on every later call.
    const OSVERSIONINFOEXW* GetOSVersionInfoEx();

private:
    // Plain flags: the first calls come before any other thread exists.
    bool realComputed_ = false;
    RealOSVersionResult real_;
    std::mutex infoMutex_;
    bool infoFilled_ = false;
    bool failed_ = false;
    bool patched_ = false;
    OSVERSIONINFOEXW info_{};
};

// The process's source.
const RealOSVersionResult& RealOSVersion();
const OSVERSIONINFOEXW* GetOSVersionInfoEx();

class OSVersionTable {
public:
    static constexpr int kCapacity = 100;

    // Fills the known versions and detects the current one from `source`.
    explicit OSVersionTable(OSVersionSource& source);
    OSVersionTable(const OSVersionTable&) = delete;
    OSVersionTable& operator=(const OSVersionTable&) = delete;

    // The process's table, built on first use from the process's source.
    static OSVersionTable& Instance();

    const OSVersion& Current() const { return current_; }
    int Count() const { return count_; }
    const OSVersion& Row(int index) const { return rows_[index]; }
    std::uint8_t ProductType() const { return productType_; }
    bool IsVistaOrLater() const;

private:
    friend void DetectOSVersion(OSVersionTable& table, OSVersionSource& source);

    OSVersion current_;
    std::int32_t count_ = 0;
    OSVersion rows_[kCapacity];
    std::uint8_t productType_ = 0;
};

// Never raises: a failure leaves every number 0, the key 0 and the name "???".
void DetectOSVersion(OSVersionTable& table, OSVersionSource& source);

// The process's table; false when detection failed.
bool IsVistaOrLater();
