// Owners of SIDs, and the well-known SIDs made by the system's own function for them.
#pragma once

#include <cstdint>

#include "winapi/win32.h"

class SidHolder {
public:
    // How the SID was allocated, and so how it is released.
    enum Kind : std::int32_t {
        kHeap = 0,           // a block of this system, released with delete
        kSystemAllocated = 1 // from the system's SID allocator, released with FreeSid
    };

    SidHolder() = default;
    // Takes ownership; a kind other than the two above is never released.
    SidHolder(std::int32_t kind, PSID sid) noexcept : kind_(kind), sid_(sid) {}
    SidHolder(SidHolder&& other) noexcept;
    // Releases the SID it held before.
    SidHolder& operator=(SidHolder&& other) noexcept;
    SidHolder(const SidHolder&) = delete;
    SidHolder& operator=(const SidHolder&) = delete;
    ~SidHolder() { Release(); }

    // Leaves the holder empty.
    void Release() noexcept;

    PSID Sid() const { return sid_; }
    std::int32_t GetKind() const { return kind_; }

private:
    std::int32_t kind_ = kHeap;
    PSID sid_ = nullptr;
};

// A heap holder of the SID; `domain` is null for SIDs outside a domain. Raises
// OSFunctionalityUnavailable when Windows lacks CreateWellKnownSid, Windows::Error when it fails.
SidHolder WellKnownSid(WELL_KNOWN_SID_TYPE type, PSID domain);
