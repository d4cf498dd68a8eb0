#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "winapi/errors/errors.h"
#include "winapi/errors/messages.h"
#include "winapi/files/files.h"
#include "winapi/security/acl_records.h"
#include "winapi/security/security.h"
#include "winapi/security/sid_bytes.h"

namespace {

using win32_layer::AceRecord;
using win32_layer::SidBytes;

constexpr DWORD kInheritanceFlags =
    OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE;
constexpr DWORD kLargestAcl = 0xFFFF;
constexpr DWORD kAceFlags = kInheritanceFlags | INHERITED_ACE;
constexpr DWORD kGenericRights = GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL;

DWORD TrusteeSid(const TRUSTEE_W& trustee, SidBytes& sid) {
    if (trustee.pMultipleTrustee != nullptr ||
        trustee.MultipleTrusteeOperation != NO_MULTIPLE_TRUSTEE || trustee.ptstrName == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (trustee.TrusteeForm == TRUSTEE_IS_SID) {
        if (!win32_layer::IsWellFormedSid(trustee.ptstrName)) {
            return ERROR_INVALID_SID;
        }
        sid = win32_layer::CopySid(trustee.ptstrName);
        return ERROR_SUCCESS;
    }
    if (trustee.TrusteeForm == TRUSTEE_IS_NAME) {
        if (std::u16string_view(trustee.ptstrName) != u"CURRENT_USER") {
            return ERROR_NONE_MAPPED;
        }
        sid = win32_layer::UserSid(geteuid());
        return ERROR_SUCCESS;
    }
    return ERROR_INVALID_PARAMETER;
}

bool IsExplicitFor(const AceRecord& ace, const SidBytes& sid) {
    return (ace.flags & INHERITED_ACE) == 0 && ace.sid == sid;
}

// GRANT and DENY add to what the trustee already has of that kind under the same flags, so such
// ACEs fold into the new one.
void MergeInto(std::vector<AceRecord>& aces, AceRecord added) {
    std::erase_if(aces, [&](const AceRecord& ace) {
        if (ace.type != added.type || ace.flags != added.flags || !IsExplicitFor(ace, added.sid)) {
            return false;
        }
        added.mask |= ace.mask;
        return true;
    });
    aces.push_back(std::move(added));
}

DWORD Apply(const EXPLICIT_ACCESS_W& entry, std::vector<AceRecord>& aces) {
    if (entry.grfAccessMode == NOT_USED_ACCESS) {
        return ERROR_SUCCESS;
    }
    if ((entry.grfInheritance & ~kInheritanceFlags) != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    AceRecord added;
    added.flags = static_cast<BYTE>(entry.grfInheritance);
    added.mask = entry.grfAccessPermissions;
    if (const DWORD error = TrusteeSid(entry.Trustee, added.sid); error != ERROR_SUCCESS) {
        return error;
    }
    switch (entry.grfAccessMode) {
    case SET_ACCESS:
        std::erase_if(aces, [&](const AceRecord& ace) { return IsExplicitFor(ace, added.sid); });
        aces.push_back(std::move(added));
        return ERROR_SUCCESS;
    case GRANT_ACCESS:
        MergeInto(aces, std::move(added));
        return ERROR_SUCCESS;
    case DENY_ACCESS:
        added.type = ACCESS_DENIED_ACE_TYPE;
        MergeInto(aces, std::move(added));
        return ERROR_SUCCESS;
    case REVOKE_ACCESS:
        std::erase_if(aces, [&](const AceRecord& ace) {
            return ace.type == ACCESS_ALLOWED_ACE_TYPE && IsExplicitFor(ace, added.sid);
        });
        return ERROR_SUCCESS;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

// Explicit denials first, then explicit grants, then what was inherited: the order in which
// Windows evaluates an ACL as intended.
int Rank(const AceRecord& ace) {
    if ((ace.flags & INHERITED_ACE) != 0) {
        return 2;
    }
    return ace.type == ACCESS_DENIED_ACE_TYPE ? 0 : 1;
}

bool IsAclRevision(DWORD revision) {
    return revision == ACL_REVISION || revision == ACL_REVISION_DS;
}

// The number of ACEs that `length` bytes of ACEs hold, or -1 when their sizes do not add up.
int AcesIn(const BYTE* aces, std::size_t length) {
    int count = 0;
    std::size_t at = 0;
    while (at < length) {
        ACE_HEADER header{};
        if (at + sizeof header > length) {
            return -1;
        }
        std::memcpy(&header, aces + at, sizeof header);
        if (header.AceSize < sizeof header) {
            return -1;
        }
        at += header.AceSize;
        ++count;
    }
    return at == length ? count : -1;
}

// The bytes the ACL's header and ACEs fill, or 0 when its ACEs overrun it.
std::size_t UsedSize(const ACL& acl) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&acl);
    std::size_t at = sizeof(ACL);
    for (WORD index = 0; index < acl.AceCount; ++index) {
        ACE_HEADER header{};
        if (at + sizeof header > acl.AclSize) {
            return 0;
        }
        std::memcpy(&header, bytes + at, sizeof header);
        at += header.AceSize;
    }
    return at <= acl.AclSize ? at : 0;
}

BOOL Failed(DWORD error) {
    SetLastError(error);
    return FALSE;
}

BOOL Append(PACL acl, DWORD revision, const BYTE* aces, std::size_t length, int count) {
    if (acl == nullptr || !IsAclRevision(revision) || revision > acl->AclRevision) {
        return Failed(ERROR_INVALID_PARAMETER);
    }
    const std::size_t used = UsedSize(*acl);
    if (used == 0) {
        return Failed(ERROR_INVALID_ACL);
    }
    if (used + length > acl->AclSize) {
        return Failed(ERROR_ALLOTTED_SPACE_EXCEEDED);
    }
    std::memcpy(reinterpret_cast<BYTE*>(acl) + used, aces, length);
    acl->AceCount = static_cast<WORD>(acl->AceCount + count);
    return TRUE;
}

BOOL AddSidAce(PACL acl, DWORD revision, BYTE type, DWORD flags, DWORD mask, PSID sid) {
    if ((flags & ~kAceFlags) != 0) {
        return Failed(ERROR_INVALID_PARAMETER);
    }
    if (!win32_layer::IsWellFormedSid(sid)) {
        return Failed(ERROR_INVALID_SID);
    }
    try {
        const std::vector<AceRecord> aces = {
            {type, static_cast<BYTE>(flags), mask, win32_layer::CopySid(sid)}};
        std::vector<BYTE> block(win32_layer::AclSizeOf(aces));
        win32_layer::WriteAcl(aces, block.data());
        return Append(acl, revision, block.data() + sizeof(ACL), block.size() - sizeof(ACL), 1);
    } catch (const std::bad_alloc&) {
        return Failed(ERROR_NOT_ENOUGH_MEMORY);
    }
}

} // namespace

void MapGenericMask(PDWORD mask, PGENERIC_MAPPING mapping) {
    const std::pair<DWORD, DWORD> rights[] = {
        {GENERIC_READ, mapping->GenericRead},
        {GENERIC_WRITE, mapping->GenericWrite},
        {GENERIC_EXECUTE, mapping->GenericExecute},
        {GENERIC_ALL, mapping->GenericAll},
    };
    for (const auto& [generic, specific] : rights) {
        if ((*mask & generic) != 0) {
            *mask |= specific;
        }
    }
    *mask &= ~kGenericRights;
}

BOOL InitializeAcl(PACL acl, DWORD size, DWORD revision) {
    if (acl == nullptr || size > kLargestAcl || !IsAclRevision(revision)) {
        return Failed(ERROR_INVALID_PARAMETER);
    }
    if (size < sizeof(ACL)) {
        return Failed(ERROR_INSUFFICIENT_BUFFER);
    }
    *acl = ACL{static_cast<BYTE>(revision), 0, static_cast<WORD>(size), 0, 0};
    return TRUE;
}

BOOL AddAccessAllowedAceEx(PACL acl, DWORD revision, DWORD flags, DWORD mask, PSID sid) {
    return AddSidAce(acl, revision, ACCESS_ALLOWED_ACE_TYPE, flags, mask, sid);
}

BOOL AddAccessDeniedAceEx(PACL acl, DWORD revision, DWORD flags, DWORD mask, PSID sid) {
    return AddSidAce(acl, revision, ACCESS_DENIED_ACE_TYPE, flags, mask, sid);
}

BOOL AddAce(PACL acl, DWORD revision, DWORD startIndex, LPVOID aceList, DWORD length) {
    const auto* aces = static_cast<const BYTE*>(aceList);
    const int count = aces != nullptr ? AcesIn(aces, length) : -1;
    if (acl == nullptr || count < 0 || (startIndex != MAXDWORD && startIndex != acl->AceCount)) {
        return Failed(ERROR_INVALID_PARAMETER);
    }
    return Append(acl, revision, aces, length, count);
}

BOOL GetAce(PACL acl, DWORD index, LPVOID* ace) {
    if (acl == nullptr || ace == nullptr || index >= acl->AceCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* bytes = reinterpret_cast<BYTE*>(acl);
    std::size_t at = sizeof(ACL);
    for (DWORD skipped = 0; skipped < index; ++skipped) {
        ACE_HEADER header{};
        std::memcpy(&header, bytes + at, sizeof header);
        at += header.AceSize;
    }
    if (at + sizeof(ACE_HEADER) > acl->AclSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *ace = bytes + at;
    return TRUE;
}

DWORD SetEntriesInAclW(ULONG count, PEXPLICIT_ACCESS_W entries, PACL oldAcl, PACL* newAcl) {
    if (newAcl == nullptr || (count > 0 && entries == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    *newAcl = nullptr;
    try {
        std::vector<AceRecord> aces;
        if (oldAcl != nullptr) {
            if (const DWORD error = win32_layer::ReadAcl(oldAcl, aces); error != ERROR_SUCCESS) {
                return error;
            }
        }
        for (ULONG i = 0; i < count; ++i) {
            if (const DWORD error = Apply(entries[i], aces); error != ERROR_SUCCESS) {
                return error;
            }
        }
        std::stable_sort(aces.begin(), aces.end(),
                         [](const AceRecord& a, const AceRecord& b) { return Rank(a) < Rank(b); });
        const DWORD size = win32_layer::AclSizeOf(aces);
        if (size > kLargestAcl) {
            return ERROR_INVALID_PARAMETER;
        }
        void* block = LocalAlloc(LMEM_ZEROINIT, size);
        if (block == nullptr) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        win32_layer::WriteAcl(aces, block);
        *newAcl = static_cast<PACL>(block);
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
