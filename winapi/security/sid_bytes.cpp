#include "winapi/security/sid_bytes.h"

namespace win32_layer {

namespace {

constexpr std::uint64_t kWorldAuthority = 1;
constexpr std::uint64_t kCreatorAuthority = 3;
constexpr DWORD kOwnerRights = 4;
constexpr std::uint64_t kNtAuthority = 5;
// The authority that Unix accounts use, with 1 for users and 2 for groups.
constexpr std::uint64_t kUnixAuthority = 22;
constexpr DWORD kUnixUsers = 1;
constexpr DWORD kUnixGroups = 2;

constexpr std::size_t kSidHeader = 8;

std::uint64_t AuthorityOf(const BYTE* sid) {
    std::uint64_t authority = 0;
    for (int i = 0; i < 6; ++i) {
        authority = (authority << 8) | sid[2 + i];
    }
    return authority;
}

DWORD SubAuthority(const BYTE* sid, int index) {
    const BYTE* at = sid + kSidHeader + 4 * index;
    return static_cast<DWORD>(at[0]) | static_cast<DWORD>(at[1]) << 8 |
           static_cast<DWORD>(at[2]) << 16 | static_cast<DWORD>(at[3]) << 24;
}

} // namespace

SidBytes MakeSid(std::uint64_t authority, std::initializer_list<DWORD> subAuthorities) {
    SidBytes sid(kSidHeader + 4 * subAuthorities.size());
    sid[0] = SID_REVISION;
    sid[1] = static_cast<BYTE>(subAuthorities.size());
    for (int i = 0; i < 6; ++i) {
        sid[2 + i] = static_cast<BYTE>(authority >> (8 * (5 - i)));
    }
    std::size_t at = kSidHeader;
    for (DWORD value : subAuthorities) {
        for (int shift = 0; shift < 32; shift += 8) {
            sid[at++] = static_cast<BYTE>(value >> shift);
        }
    }
    return sid;
}

SidBytes UserSid(uid_t user) {
    return MakeSid(kUnixAuthority, {kUnixUsers, user});
}
SidBytes GroupSid(gid_t group) {
    return MakeSid(kUnixAuthority, {kUnixGroups, group});
}
SidBytes WorldSid() {
    return MakeSid(kWorldAuthority, {0});
}
SidBytes LocalSystemSid() {
    return MakeSid(kNtAuthority, {18});
}
SidBytes AdministratorsSid() {
    return MakeSid(kNtAuthority, {32, 544});
}
SidBytes OwnerRightsSid() {
    return MakeSid(kCreatorAuthority, {kOwnerRights});
}

bool IsWellFormedSid(const void* sid) {
    const auto* bytes = static_cast<const BYTE*>(sid);
    return bytes != nullptr && bytes[0] == SID_REVISION && bytes[1] <= SID_MAX_SUB_AUTHORITIES;
}

DWORD SidLength(const void* sid) {
    return static_cast<DWORD>(kSidHeader + 4 * static_cast<const BYTE*>(sid)[1]);
}

SidBytes CopySid(const void* sid) {
    const auto* bytes = static_cast<const BYTE*>(sid);
    return SidBytes(bytes, bytes + SidLength(sid));
}

PrincipalOf Classify(const void* sid) {
    const auto* bytes = static_cast<const BYTE*>(sid);
    const int count = bytes[1];
    const std::uint64_t authority = AuthorityOf(bytes);
    if (authority == kWorldAuthority && count == 1 && SubAuthority(bytes, 0) == 0) {
        return {Principal::World, 0};
    }
    if (authority == kCreatorAuthority && count == 1 && SubAuthority(bytes, 0) == kOwnerRights) {
        return {Principal::OwnerRights, 0};
    }
    if (authority == kNtAuthority &&
        ((count == 1 && SubAuthority(bytes, 0) == 18) ||
         (count == 2 && SubAuthority(bytes, 0) == 32 && SubAuthority(bytes, 1) == 544))) {
        return {Principal::Root, 0};
    }
    if (authority == kUnixAuthority && count == 2) {
        const DWORD kind = SubAuthority(bytes, 0);
        if (kind == kUnixUsers) {
            return {Principal::User, SubAuthority(bytes, 1)};
        }
        if (kind == kUnixGroups) {
            return {Principal::Group, SubAuthority(bytes, 1)};
        }
    }
    return {};
}

} // namespace win32_layer
