// The layer's SIDs as bytes, and what a SID stands for on Linux.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "winapi/security/security.h"

namespace win32_layer {

using SidBytes = std::vector<BYTE>;

SidBytes MakeSid(std::uint64_t authority, std::initializer_list<DWORD> subAuthorities);
SidBytes UserSid(uid_t user);
SidBytes GroupSid(gid_t group);
SidBytes WorldSid();
SidBytes LocalSystemSid();
SidBytes AdministratorsSid();
// The owner's rights, whoever the owner is.
SidBytes OwnerRightsSid();

// Revision 1 and at most 15 sub-authorities; the memory behind it is trusted.
bool IsWellFormedSid(const void* sid);
// For a well-formed SID.
DWORD SidLength(const void* sid);
SidBytes CopySid(const void* sid);

enum class Principal { User, Group, World, Root, OwnerRights, Other };

struct PrincipalOf {
    Principal kind = Principal::Other;
    // The uid or gid for a user or group.
    std::uint32_t id = 0;
};

PrincipalOf Classify(const void* sid);

} // namespace win32_layer
