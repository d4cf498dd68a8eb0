// SIDs, access entries and ACE look-ups for the tests of the security calls.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "winapi/win32.h"

using SidBuffer = std::vector<BYTE>;

inline SidBuffer WellKnown(WELL_KNOWN_SID_TYPE type) {
    SidBuffer sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    EXPECT_EQ(CreateWellKnownSid(type, nullptr, sid.data(), &size), TRUE) << GetLastError();
    sid.resize(size);
    return sid;
}

inline SidBuffer CopyOfSid(PSID sid) {
    const auto* bytes = static_cast<const BYTE*>(sid);
    return SidBuffer(bytes, bytes + GetLengthSid(sid));
}

inline EXPLICIT_ACCESS_W EntryFor(SidBuffer& sid, DWORD rights, ACCESS_MODE mode,
                                  DWORD inheritance = NO_INHERITANCE) {
    EXPLICIT_ACCESS_W entry{};
    entry.grfAccessPermissions = rights;
    entry.grfAccessMode = mode;
    entry.grfInheritance = inheritance;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    entry.Trustee.ptstrName = reinterpret_cast<LPWSTR>(sid.data());
    return entry;
}

struct AceSeen {
    BYTE type = 0;
    BYTE flags = 0;
    DWORD mask = 0;
    SidBuffer sid;
    bool operator==(const AceSeen&) const = default;
};

inline void PrintTo(const AceSeen& ace, std::ostream* out) {
    *out << (ace.type == ACCESS_DENIED_ACE_TYPE ? "deny" : "allow") << " flags " << int{ace.flags}
         << " mask 0x" << std::hex << ace.mask << std::dec << " S-"
         << int{ace.sid.size() > 0 ? ace.sid[0] : 0};
    if (ace.sid.size() >= 8) {
        *out << "-" << int{ace.sid[7]};
        for (std::size_t at = 8; at + 4 <= ace.sid.size(); at += 4) {
            *out << "-"
                 << (ace.sid[at] | ace.sid[at + 1] << 8 | ace.sid[at + 2] << 16 |
                     static_cast<DWORD>(ace.sid[at + 3]) << 24);
        }
    }
}

inline std::vector<AceSeen> AcesOf(PACL acl) {
    std::vector<AceSeen> aces;
    for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        if (GetAce(acl, i, &ace) != TRUE) {
            ADD_FAILURE() << "GetAce " << i << ": " << GetLastError();
            break;
        }
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        aces.push_back({allowed->Header.AceType, allowed->Header.AceFlags, allowed->Mask,
                        CopyOfSid(const_cast<DWORD*>(&allowed->SidStart))});
    }
    return aces;
}

// The ACEs naming `sid`, in ACL order.
inline std::vector<AceSeen> AcesFor(PACL acl, const SidBuffer& sid) {
    std::vector<AceSeen> found;
    for (AceSeen& ace : AcesOf(acl)) {
        if (ace.sid == sid) {
            found.push_back(std::move(ace));
        }
    }
    return found;
}

// Holds what the security calls hand back for LocalFree.
struct LocalBlock {
    LocalBlock() = default;
    LocalBlock(const LocalBlock&) = delete;
    LocalBlock& operator=(const LocalBlock&) = delete;
    ~LocalBlock() { LocalFree(block); }
    void* block = nullptr;
};
